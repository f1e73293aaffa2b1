// errno values as the input/output errors the user sees.
#pragma once

#include <string>

namespace platform::posix {

// The message code of an errno value, or the errno value itself shown as
// "I/O エラー (<errno>)" when it has no message of its own. Never a fixed
// text for an unmapped errno: EIO is 5, like "access denied".
std::string IoMessageOfErrno(int err);

// Throws the Error for errno `err` concerning `path`.
[[noreturn]] void ThrowIoError(int err, const std::string& path);

}  // namespace platform::posix
