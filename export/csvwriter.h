// A CSV file as it is written: lines go into a temporary file as they are
// made, every line ended by CR LF, in code page 932 without a byte-order
// mark; Commit puts the file in the target's place in one step, and a writer
// that is never committed leaves the target as it was and nothing behind.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

class CsvWriter {
  public:
    explicit CsvWriter(const std::string& target);

    // The text of the line being made (UTF-8): append to it, then EndLine.
    std::string& Line() { return buffer_; }
    void EndLine();
    void AddLine(std::string_view line) {
        buffer_.append(line);
        EndLine();
    }
    void Commit();

  private:
    void Flush();
    platform::AtomicFile file_;
    std::string buffer_;
};
