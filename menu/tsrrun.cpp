// tsrrun: the launcher. Makes sure the main program runs, and shows for two
// seconds a window whose title the main program answers with the
// configuration password prompt. Retitled "Uninstall [TSR]" by another
// process while it shows, it runs the uninstall clean-up instead.
#include <windows.h>

#include <optional>

#include "menu/cleanup.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/message_box.h"
#include "shared/win32/module.h"
#include "shared/win32/process.h"
#include "shared/win32/running_copy.h"
#include "shared/win32/text.h"
#include "shared/win32/window.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;     // Timer1: the window's two seconds
constexpr UINT_PTR kTitleTimer = 2;     // Timer2: watches the window's own title
constexpr UINT_PTR kMainWaitTimer = 3;  // waits for a main program this launcher started
constexpr UINT kCloseAfterMs = 2000;
constexpr ULONGLONG kMainWaitLimitMs = 30000;

win32kit::UniqueFont g_font;
// The launcher started the main program: its two seconds count from the
// moment the main program's window exists, because a program loading a
// large store would otherwise find the launcher's window already gone.
bool g_startedMain = false;
ULONGLONG g_mainWaitEnd = 0;
bool g_closeTimerOff = false;  // a double click keeps the window

std::wstring mainProgramPath() { return win32kit::inProgramFolder(win32kit::toWide(names::MainProgram)); }

// The loaded window of the main program, when the program file beside this
// one really runs it: any program can show a window with its title.
bool mainProgramLoaded() { return win32kit::findRunningCopy({mainProgramPath(), true, false}) != nullptr; }

// The uninstaller shows a window with the main program's title while it starts
// the launcher, so that no new copy starts; it holds the uninstaller's data
// file open all the while (nobody else can: the running program holds it).
bool uninstallerStandsIn() {
  if (!FindWindowW(nullptr, win32kit::toWide(names::MainTitle).c_str())) return false;
  const std::wstring data = win32kit::inProgramFolder(win32kit::toWide(names::UninstallerData));
  win32kit::UniqueFileHandle file(
      CreateFileW(data.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Starts the main program unless it runs; false when it cannot be started.
bool ensureMainProgram() {
  if (mainProgramLoaded() || uninstallerStandsIn()) return true;
  g_startedMain = true;
  return static_cast<bool>(win32kit::startProcess(mainProgramPath(), SW_SHOWMINIMIZED));
}

void startCloseTimer(HWND window) {
  if (!g_closeTimerOff) SetTimer(window, kCloseTimer, kCloseAfterMs, nullptr);
}

// uninst000: both timers stop first; on success the report ends the
// launcher, on a failure the error is shown and the window stays.
void runUninstallCleanup(HWND window) {
  KillTimer(window, kCloseTimer);
  KillTimer(window, kTitleTimer);
  KillTimer(window, kMainWaitTimer);
  g_closeTimerOff = true;
  const tsrrun::CleanupResult result = tsrrun::runCleanup(win32kit::programFolder());
  if (!result.completed) {
    win32kit::messageBox(window, result.error, names::LauncherProgramTitle, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  win32kit::messageBox(window, result.report, names::CleanupReportTitle, MB_OK);
  DestroyWindow(window);
}

std::optional<LRESULT> onMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CREATE: {
      HWND label = CreateWindowExW(0, L"STATIC", L"Loading...", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 34, 280,
                                   24, window, nullptr, nullptr, nullptr);
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(g_font.get()), TRUE);
      if (g_startedMain) {
        g_mainWaitEnd = GetTickCount64() + kMainWaitLimitMs;
        SetTimer(window, kMainWaitTimer, 100, nullptr);
      } else {
        startCloseTimer(window);
      }
      SetTimer(window, kTitleTimer, 1000, nullptr);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      KillTimer(window, kCloseTimer);  // stays until the user closes it
      g_closeTimerOff = true;
      return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) {
        DestroyWindow(window);
      } else if (wParam == kMainWaitTimer) {
        if (mainProgramLoaded() || GetTickCount64() >= g_mainWaitEnd) {
          KillTimer(window, kMainWaitTimer);
          startCloseTimer(window);
        }
      } else if (wParam == kTitleTimer) {
        if (win32kit::windowText(window) == names::UninstallTitle) runUninstallCleanup(window);
      }
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
