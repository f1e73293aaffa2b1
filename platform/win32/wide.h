// UTF-8 at the seam, UTF-16 at the Windows system calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// Conversions that never fail: a broken sequence becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace platform::win32
