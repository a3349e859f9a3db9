#include "platform/win32/win32_tray.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "shared/win32/text.h"

namespace platform::win32 {

using win32kit::toWide;

namespace {

NOTIFYICONDATAW record(WindowHandle owner) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = reinterpret_cast<HWND>(owner);
  data.uID = 1;
  return data;
}

}  // namespace

bool Win32Tray::add(WindowHandle owner, std::string_view tip) {
  NOTIFYICONDATAW data = record(owner);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = icon_;
  const std::wstring wide = toWide(tip);
  const std::size_t length = std::min(wide.size(), std::size(data.szTip) - 1);
  std::copy_n(wide.begin(), length, data.szTip);
  data.szTip[length] = L'\0';
  return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool Win32Tray::remove(WindowHandle owner) {
  NOTIFYICONDATAW data = record(owner);
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

}  // namespace platform::win32
