// CSV files: lines collected in memory and written whole at the end of a
// command, every line ended by CR LF, in Shift-JIS (code page 932) without a
// byte-order mark, replacing the target atomically.
#pragma once

#include <string>
#include <string_view>

// The lines of one CSV file, held as UTF-8 text with each line's CR LF.
struct CsvLines {
    std::string text;
    std::size_t count = 0;

    void Add(std::string_view line) {
        text.append(line);
        text.append("\r\n");
        ++count;
    }
};

// UTF-8 to code page 932. Throws std::runtime_error naming the character
// when one cannot be encoded (never a silent '?').
std::string Utf8ToCp932(std::string_view utf8);
// Code page 932 to UTF-8 (for tests and tools).
std::string Cp932ToUtf8(std::string_view cp932);

// Writes the lines to `path`: a temporary file in the same folder, flushed to
// disk, then renamed over the target. On any failure an existing target is
// left as it was, no temporary file remains, and InOutError is thrown.
void WriteCsvFile(const std::string& path, const CsvLines& lines);

// The path with its extension replaced by ".csv" (or ".csv" added when the
// file name has none), as the save commands force it.
std::string ChangeExtToCsv(const std::string& path);
