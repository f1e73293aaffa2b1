#include "export/csvwriter.h"

#include "platform/system.h"
#include "text/error.h"

namespace {

// Whole lines are encoded and written in pieces of about this size.
constexpr std::size_t kFlushBytes = 1 << 16;

}  // namespace

CsvWriter::CsvWriter(const std::string& target) : file_(target) {
    buffer_.reserve(kFlushBytes + 1024);
}

void CsvWriter::EndLine() {
    buffer_ += "\r\n";
    if (buffer_.size() >= kFlushBytes) Flush();
}

void CsvWriter::Flush() {
    try {
        file_.Write(platform::Cp932FromUtf8(buffer_));
    } catch (const Error& e) {
        // The encoder does not know which file the text was meant for.
        if (!e.Path().empty()) throw;
        throw Error(e.Message(), file_.Target(), e.SystemCode());
    }
    buffer_.clear();
}

void CsvWriter::Commit() {
    Flush();
    file_.Commit();
}
