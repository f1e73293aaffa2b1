// The one error type of file input and output: a platform code and its
// Japanese message, travelling up to the one place that shows errors.
#pragma once

#include <stdexcept>
#include <string>

class InOutError : public std::runtime_error {
  public:
    explicit InOutError(int code);
    InOutError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

  private:
    int code_;
};

// The Japanese message of a platform code: 2, 3, 4, 5, 100, 101 have their
// own texts, every other code "I/O エラー (<code>)".
std::string InOutMessage(int code);

// The platform code of a POSIX errno value, or -1 when it has none of its
// own (the error then shows "I/O エラー (<errno>)").
int InOutCodeFromErrno(int err);

// Throws the InOutError for errno value `err`.
[[noreturn]] void ThrowInOutError(int err);

// Thrown when a lap needs more memory than the process can get.
class OutOfMemoryError : public std::runtime_error {
  public:
    OutOfMemoryError() : std::runtime_error("メモリが不足しています") {}
};
