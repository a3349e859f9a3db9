// hivexfer: the configuration transfer tool. Its window title is its
// command; a title nobody changed means there is nothing to do, and the tool
// ends after half a second.
#include <windows.h>

#include <optional>

#include "shared/names.h"
#include "shared/win32/text.h"
#include "shared/win32/window.h"

namespace {

constexpr UINT_PTR kCommandTimer = 1;

std::optional<LRESULT> onMessage(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CREATE:
      SetTimer(window, kCommandTimer, 500, nullptr);
      return 0;
    case WM_TIMER:
      KillTimer(window, kCommandTimer);
      DestroyWindow(window);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  win32kit::MainWindow tool;
  tool.className = win32kit::toWide(names::TransferClass);
  tool.handler = onMessage;
  tool.title = names::TransferIdleTitle;
  tool.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  tool.width = 420;
  tool.height = 300;
  return win32kit::runMainWindow(tool, showCommand);
}
