#pragma once
// UTF-8 inside the program, UTF-16 at the Windows API boundary.
#include <string>
#include <string_view>

namespace platform::win32 {

// Invalid sequences become U+FFFD; embedded NULs are kept. Never throws
// except for running out of memory.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

}  // namespace platform::win32
