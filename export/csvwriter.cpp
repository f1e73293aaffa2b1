#include "export/csvwriter.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "platform/system.h"
#include "text/error.h"

namespace {

// Whole lines are encoded and written in pieces of about this size.
constexpr std::size_t kFlushBytes = 1 << 16;
// A line as long as allowed, and its CR LF, always fit after the flush point.
constexpr std::size_t kBufferBytes = kFlushBytes + CsvWriter::kMaxLineBytes + 2;

bool IsAscii(std::string_view text) {
    // Eight bytes at a time: this looks at every byte written.
    std::uint64_t any = 0;
    std::size_t k = 0;
    for (; k + 8 <= text.size(); k += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + k, 8);
        any |= word;
    }
    for (; k < text.size(); ++k)
        any |= static_cast<unsigned char>(text[k]);
    return (any & 0x8080808080808080u) == 0;
}

}  // namespace

CsvWriter::CsvWriter(const std::string& target)
    : file_(target), buffer_(std::make_unique_for_overwrite<char[]>(kBufferBytes)) {}

char* CsvWriter::Room(std::size_t bytes) {
    assert(bytes <= kMaxLineBytes);
    if (kBufferBytes - used_ < bytes + 2) Flush();
    return buffer_.get() + used_;
}

void CsvWriter::EndLine(char* end) {
    assert(end >= buffer_.get() + used_ && end <= buffer_.get() + kBufferBytes - 2);
    std::memcpy(end, "\r\n", 2);
    used_ = static_cast<std::size_t>(end + 2 - buffer_.get());
    if (used_ >= kFlushBytes) Flush();
}

void CsvWriter::AddLine(std::string_view line) {
    if (line.size() <= kMaxLineBytes) {
        EndLine(std::copy(line.begin(), line.end(), Room(line.size())));
        return;
    }
    Flush();
    Write(std::string(line) + "\r\n");
}

void CsvWriter::Flush() {
    Write({buffer_.get(), used_});
    used_ = 0;
}

void CsvWriter::Write(std::string_view text) {
    // Code page 932 keeps ASCII as it is, and the lines of numbers are ASCII.
    if (IsAscii(text)) {
        file_.Write(text);
        return;
    }
    try {
        file_.Write(platform::Cp932FromUtf8(text));
    } catch (const Error& e) {
        // The encoder does not know which file the text was meant for.
        if (!e.Path().empty()) throw;
        throw Error(e.Message(), file_.Target(), e.SystemCode());
    }
}

void CsvWriter::Commit() {
    Flush();
    file_.Commit();
}
