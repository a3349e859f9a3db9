#include "forms/win32/message_loop.h"

#include <windows.h>

#include "forms/win32/form_view.h"

namespace forms::win32 {

namespace {

void dispatch(MSG& message) {
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && Win32FormView::fromWindow(root) && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

int runMessageLoop(const std::function<void()>& afterEachMessage) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    dispatch(message);
    if (afterEachMessage) afterEachMessage();
  }
  return static_cast<int>(message.wParam);
}

void doEvents() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
  }
}

void waitEvents() {
  MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  doEvents();
}

void quit(int code) { PostQuitMessage(code); }

}  // namespace forms::win32
