// tsrrun: the launcher. Makes sure the main program runs, and shows for two
// seconds a window whose title the main program answers with the
// configuration password prompt.
#include <windows.h>

#include <optional>

#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/message_box.h"
#include "shared/win32/module.h"
#include "shared/win32/process.h"
#include "shared/win32/text.h"
#include "shared/win32/window.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;  // Timer1: the window's two seconds
constexpr UINT_PTR kTitleTimer = 2;  // Timer2: watches the window's own title

win32kit::UniqueFont g_font;

// Starts the main program unless its window exists; false when it cannot be started.
bool ensureMainProgram() {
  if (FindWindowW(nullptr, win32kit::toWide(names::MainTitle).c_str())) return true;
  return static_cast<bool>(
      win32kit::startProcess(win32kit::inProgramFolder(win32kit::toWide(names::MainProgram)), SW_SHOWMINIMIZED));
}

std::optional<LRESULT> onMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CREATE: {
      HWND label = CreateWindowExW(0, L"STATIC", L"Loading...", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 34, 280,
                                   24, window, nullptr, nullptr, nullptr);
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(g_font.get()), TRUE);
      SetTimer(window, kCloseTimer, 2000, nullptr);
      SetTimer(window, kTitleTimer, 1000, nullptr);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      KillTimer(window, kCloseTimer);  // stays until the user closes it
      return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(window);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (!ensureMainProgram()) {
    win32kit::messageBox(nullptr, "Please restart Windows to load the software and then try again.", "Configure",
                         MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  g_font.reset(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Verdana"));
  win32kit::MainWindow launcher;
  launcher.className = win32kit::toWide(names::LauncherClass);
  launcher.handler = onMessage;
  launcher.classStyle = CS_DBLCLKS;
  launcher.title = names::LauncherTitle;
  launcher.width = 280;
  launcher.height = 92;
  launcher.clientSize = true;
  launcher.centred = true;
  const int code = win32kit::runMainWindow(launcher, SW_SHOWNORMAL);
  g_font.reset();
  return code;
}
