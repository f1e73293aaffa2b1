// The one error type that reaches the user: a Japanese message, the path it
// concerns (if any) and the operating system's own code, kept apart so that
// neither is read as the other.
#pragma once

#include <exception>
#include <string>

class Error : public std::exception {
  public:
    explicit Error(std::string message, std::string path = {}, int systemCode = 0)
        : message_(std::move(message)), path_(std::move(path)), systemCode_(systemCode) {}

    const std::string& Message() const { return message_; }
    const std::string& Path() const { return path_; }
    // errno on POSIX, GetLastError() on Windows; 0 when the system had none.
    int SystemCode() const { return systemCode_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
    std::string path_;
    int systemCode_;
};

// The input/output messages, by the codes the old runtime used for them:
// 2, 3, 4, 5, 100 and 101 have their own texts, every other code shows
// "I/O エラー (<code>)".
enum IoCode : int {
    kIoFileNotFound = 2,
    kIoBadPath = 3,
    kIoTooManyOpenFiles = 4,
    kIoAccessDenied = 5,
    kIoReadPastEnd = 100,
    kIoDiskFull = 101,
};
std::string IoMessage(int ioCode);

inline constexpr const char* kOutOfMemoryMessage = "メモリが不足しています";

// What to show for the exception being handled: call only inside a catch
// block. Out-of-memory becomes its Japanese message here, and only here; an
// error that is not ours shows a Japanese text rather than a library's.
struct ShownError {
    std::string message;
    std::string path;
};
ShownError DescribeCurrentException();
