// Where a form's window stands. The model alone decides whether a window is
// shown: another program's ShowWindow, SetWindowPos or SetWindowLong cannot
// show a window the program keeps hidden (the configuration before its
// password) or hide one it shows. A window that covers the screen (the
// computer lock) keeps covering it: it cannot be moved, minimised, sent
// below other windows or closed from outside; when it was minimised all the
// same, it is put back at once.
#include <windows.h>

#include "forms/win32/form_view.h"

namespace forms::win32 {

namespace {

RECT virtualScreen() {
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool isTopmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

}  // namespace

void Win32FormView::keepPlace(WINDOWPOS& position) {
  if ((position.flags & SWP_SHOWWINDOW) && !form_.visible()) position.flags &= ~SWP_SHOWWINDOW;
  if ((position.flags & SWP_HIDEWINDOW) && form_.visible()) position.flags &= ~SWP_HIDEWINDOW;
  if (!form_.style().coverScreen || IsIconic(window_.get())) return;
  const RECT screen = virtualScreen();
  position.x = screen.left;
  position.y = screen.top;
  position.cx = screen.right - screen.left;
  position.cy = screen.bottom - screen.top;
  position.flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
  // Another window may go above it (the prompt does), but it never leaves the topmost band.
  if (!(position.flags & SWP_NOZORDER)) {
    const HWND after = position.hwndInsertAfter;
    const bool staysTopmost = after == HWND_TOP || after == HWND_TOPMOST ||
                              (after != HWND_NOTOPMOST && after != HWND_BOTTOM && isTopmost(after));
    if (!staysTopmost) position.hwndInsertAfter = HWND_TOPMOST;
  }
}

void Win32FormView::keepVisibleStyle(WPARAM which, STYLESTRUCT& styles) {
  if (static_cast<int>(which) != GWL_STYLE) return;
  if (form_.visible()) styles.styleNew |= WS_VISIBLE;
  else styles.styleNew &= ~WS_VISIBLE;
}

std::optional<LRESULT> Win32FormView::onSystemCommand(WPARAM command) {
  if (destroying_ || !form_.style().coverScreen) return std::nullopt;
  // Close becomes WM_CLOSE, which the model answers; nothing else moves it.
  if ((command & 0xFFF0) == SC_CLOSE) return std::nullopt;
  return 0;
}

void Win32FormView::afterPlaceChanged() {
  HWND window = window_.get();
  const bool lost = form_.visible() && (!IsWindowVisible(window) || (form_.style().coverScreen && IsIconic(window)));
  if (!lost || putBackPosted_) return;
  // Not from inside the move that another program started: once it is over.
  putBackPosted_ = PostMessageW(window, kPutBackMessage, 0, 0) != FALSE;
}

void Win32FormView::putBack() {
  HWND window = window_.get();
  if (!window || !form_.visible()) return;
  if (IsIconic(window) || !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
  if (form_.style().coverScreen) placeWindow();
}

void Win32FormView::raise() {
  HWND window = window_.get();
  if (destroying_ || !window || !form_.visible()) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  else if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
  const bool topmost = form_.topmost() || form_.style().coverScreen;
  SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
}

}  // namespace forms::win32
