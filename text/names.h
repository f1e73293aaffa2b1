// File names and the characters in them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// An ASCII capital letter as small letter; every other byte as it is.
inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A byte that continues a UTF-8 character rather than starting one.
inline bool IsUtf8ContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A character that ends a folder in a path: '/', and on Windows also '\\',
// which its own dialogs and the registry write.
inline bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// The code point starting at byte `at` and its length in bytes. A broken
// sequence is its first byte alone, read as U+FFFD.
char32_t DecodeUtf8(std::string_view text, std::size_t at, std::size_t& length);

// Count of UTF-8 characters (code points) in a text.
std::size_t Utf8Length(std::string_view text);
// `count` characters from character `first` on (counted from 0).
std::string Utf8Substr(std::string_view text, std::size_t first, std::size_t count);

// Equality ignoring ASCII letter case only.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The file name of a path without its folder.
std::string FileNameOf(const std::string& path);
// The folder of a path with its trailing delimiter, or empty for a bare name.
std::string FolderOf(const std::string& path);

// The path with its extension replaced by `extension` (".csv"), or the
// extension added when the file name has none: every save forces its own.
std::string ForceExtension(const std::string& path, std::string_view extension);
inline std::string ForceCsvExtension(const std::string& path) {
    return ForceExtension(path, ".csv");
}

// The data number of a lap file name without folder ("Temp" + four
// characters + ".dtb"): characters 5 to 8 of a name exactly 12 characters
// long, otherwise empty.
std::string DataNumberOfFileName(const std::string& name);

// The texts joined by ", ", for naming several laps or files in a message.
std::string JoinWithCommas(const std::vector<std::string>& texts);
