// GetLastError codes as the input/output errors the user sees.
#pragma once

#include <string>

namespace platform::win32 {

// The message of a system error code: the codes of the old runtime are the
// system's own (2 not found, 3 bad path, 4 too many open files, 5 access
// denied), a few relatives share their texts, and every other code shows
// "I/O エラー (<code>)".
std::string IoMessageOfSystemError(unsigned long code);

// Throws the Error for system code `code` concerning `path`.
[[noreturn]] void ThrowIoError(unsigned long code, const std::string& path);

}  // namespace platform::win32
