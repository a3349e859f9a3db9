#pragma once
// The notification-area icon over Shell_NotifyIconW.
#include <windows.h>

#include "platform/tray.h"

namespace platform::win32 {

// The message the icon's mouse events arrive with, at the owner window:
// lParam carries the mouse message (WM_LBUTTONDBLCLK, WM_RBUTTONUP, ...).
constexpr UINT kTrayCallbackMessage = WM_APP + 1;

class Win32Tray final : public Tray {
 public:
  explicit Win32Tray(HICON icon) : icon_(icon) {}
  bool add(WindowHandle owner, std::string_view tip) override;
  bool remove(WindowHandle owner) override;

 private:
  HICON icon_;
};

}  // namespace platform::win32
