#pragma once
// Message boxes with UTF-8 texts.
#include <windows.h>

#include <string_view>

#include "shared/win32/text.h"

namespace win32kit {

// The answer (IDOK, IDCANCEL, ...), 0 when the box could not be shown.
inline int messageBox(HWND owner, std::string_view text, std::string_view title, UINT flags) {
  return MessageBoxW(owner, toWide(text).c_str(), toWide(title).c_str(), flags);
}

}  // namespace win32kit
