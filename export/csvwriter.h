// A CSV file as it is written: lines go into a temporary file as they are
// made, every line ended by CR LF, in code page 932 without a byte-order
// mark; Commit puts the file in the target's place in one step, and a writer
// that is never committed leaves the target as it was and nothing behind.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

class CsvWriter {
  public:
    // The most bytes one line made through Room may take.
    static constexpr std::size_t kMaxLineBytes = 1 << 16;

    explicit CsvWriter(const std::string& target);

    // Room for a line of up to `bytes` (at most kMaxLineBytes) of UTF-8
    // text: write it at the pointer returned, then EndLine with where the
    // writing ended. Numbers go straight into place this way.
    char* Room(std::size_t bytes);
    void EndLine(char* end);
    void AddLine(std::string_view line);
    void Commit();

  private:
    void Flush();
    void Write(std::string_view text);
    platform::AtomicFile file_;
    std::unique_ptr<char[]> buffer_;  // complete lines, then the line being made
    std::size_t used_ = 0;            // bytes of complete lines
};
