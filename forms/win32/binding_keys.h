#pragma once
// Enter and key presses reach the key handler of a text box or list alike.
#include <optional>

#include "forms/win32/control_binding.h"

namespace forms::win32 {

// For WM_GETDLGCODE and WM_KEYDOWN of a window with a key handler; nullopt
// for every other message. Enter is the default button's key; without one,
// a control with a key handler gets it, as the forms' handlers expect.
template <typename KeyDown>
std::optional<LRESULT> keyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool hasKeyHandler,
                                  KeyDown keyDown, BindingHost& host) {
  if (message == WM_GETDLGCODE) {
    LRESULT code = callWindow(window, message, wParam, lParam);
    const auto* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN && hasKeyHandler &&
        host.form().defaultButton() == nullptr)
      code |= DLGC_WANTMESSAGE;
    return code;
  }
  if (message == WM_KEYDOWN) {
    keyDown(static_cast<int>(wParam));
    if (!IsWindow(window) || host.destroying()) return 0;  // the handler closed the form
  }
  return std::nullopt;
}

}  // namespace forms::win32
