// File names and the characters in them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Count of UTF-8 characters (code points) in a text.
std::size_t Utf8Length(std::string_view text);
// `count` characters from character `first` on (counted from 0).
std::string Utf8Substr(std::string_view text, std::size_t first, std::size_t count);

// Equality ignoring ASCII letter case only.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The file name of a path without its folder.
std::string FileNameOf(const std::string& path);
