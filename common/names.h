// File names and the characters in them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// An ASCII capital letter as small letter; every other byte as it is.
inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A byte that continues a UTF-8 character rather than starting one.
inline bool IsUtf8ContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Count of UTF-8 characters (code points) in a text.
std::size_t Utf8Length(std::string_view text);
// `count` characters from character `first` on (counted from 0).
std::string Utf8Substr(std::string_view text, std::size_t first, std::size_t count);

// Equality ignoring ASCII letter case only.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The file name of a path without its folder.
std::string FileNameOf(const std::string& path);
