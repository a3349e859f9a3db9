// tessara7: the main program. Starts hidden with its tray icon; everything
// else runs on the configuration window's timers and messages.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "forms/win32/form_view.h"
#include "forms/win32/message_loop.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_tray.h"
#include "res/resource_ids.h"
#include "shared/explorer_menu_message.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace {

// WinEvents of other programs' windows, seen out of context, run the lock
// guard at once instead of waiting up to half a second for the watchers'
// timers. Under Wine only window creation and focus changes arrive (the
// lock benchmark lists what does); the others are there for Windows.
constexpr UINT kWindowEventMessage = WM_APP + 2;
constexpr WPARAM kForegroundMayHaveChanged = 1;
constexpr WPARAM kWindowAppeared = 2;
HWND g_eventTarget = nullptr;
WPARAM g_pendingEvents = 0;  // what the posted message will report
HWND g_lastForeground = nullptr;

// A top-level window of another process.
bool isOtherProgramsWindow(HWND window) {
  if (window == nullptr || GetAncestor(window, GA_PARENT) != GetDesktopWindow()) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != 0 && process != GetCurrentProcessId();
}

void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  const bool wholeWindow = object == OBJID_WINDOW && child == CHILDID_SELF;
  WPARAM what = 0;
  switch (event) {
    case EVENT_OBJECT_CREATE:
    case EVENT_OBJECT_SHOW:
      if (wholeWindow && isOtherProgramsWindow(window)) what = kWindowAppeared;
      break;
    case EVENT_OBJECT_NAMECHANGE:
      if (wholeWindow && window == GetForegroundWindow()) what = kForegroundMayHaveChanged;
      break;
    case EVENT_OBJECT_FOCUS: {
      // Focus moves often within one window; only a new foreground window counts.
      const HWND foreground = GetForegroundWindow();
      if (foreground != g_lastForeground) what = kForegroundMayHaveChanged;
      g_lastForeground = foreground;
      break;
    }
    default:
      what = kForegroundMayHaveChanged;
      break;
  }
  if (what == 0 || !g_eventTarget) return;
  // One message at a time carries every event that came before it is handled.
  const bool posted = g_pendingEvents != 0;
  g_pendingEvents |= what;
  if (!posted && !PostMessageW(g_eventTarget, kWindowEventMessage, 0, 0)) g_pendingEvents = 0;
}

// Watches one kind of WinEvent for the whole process, out of context.
win32kit::UniqueWinEventHook hookWinEvent(DWORD event) {
  return win32kit::UniqueWinEventHook(
      SetWinEventHook(event, event, nullptr, onWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

// The file version from the program's own version resource.
std::array<std::uint16_t, 4> fileVersion() {
  std::array<std::uint16_t, 4> version{7, 1, 0, 3};
  const std::wstring path = win32kit::modulePath();
  if (path.empty()) return version;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return version;
  std::vector<std::byte> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return version;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info) return version;
  return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
          LOWORD(info->dwFileVersionLS)};
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  platform::win32::Win32Platform os;
  const HICON icon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
  platform::win32::Win32Tray tray(icon);
  forms::win32::Win32ViewFactory views;

  tessara::App app({os.get(), tray, &views, [] { forms::win32::doEvents(); },
                    [] { forms::win32::quit(0); }, fileVersion(), [] { forms::win32::waitEvents(); }});
  // The window hears the messages below before the load lets other programs
  // see it: a click sent from Explorer's menu while the settings load is not lost.
  tessara::FrmConfig& config = app.frmConfig();
  config.ensureView();
  if (auto* view = forms::win32::Win32FormView::viewOf(config)) {
    SendMessageW(view->window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const UINT endForUninstall = RegisterWindowMessageW(win32kit::toWide(names::EndForUninstallMessage).c_str());
    const UINT areYouRunning = RegisterWindowMessageW(win32kit::toWide(names::MainRunningMessage).c_str());
    view->addMessageHook([&app, &config, &os, taskbarCreated, endForUninstall, areYouRunning](
                             UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      if (message == areYouRunning && areYouRunning != 0) {
        if (!os.shell().runningCopy() || app.ended()) return 0;
        // A new copy asks, perhaps one the guard started not knowing of this
        // one (the service restarted): the guard is told which copy to watch.
        static ULONGLONG lastTold = 0;
        if (GetTickCount64() - lastTold > 1000) {
          lastTold = GetTickCount64();
          os.get().guard.tell(guard_channel::Request::Running);
        }
        return names::MainRunningAnswer;
      }
      if (message == endForUninstall && endForUninstall != 0) {
        // The uninstaller, holding the data file the program handed over,
        // asks it to end without starting a new copy.
        bool accepted = false;
        config.fire([&] { accepted = app.uninstall().endForUninstaller(); });
        if (!accepted) return 0;
        app.history().record(history::Kind::Uninstall, "the program ended for the uninstaller");
        app.os().guard.tell(guard_channel::Request::HandOver);  // the guard must not bring it back
        app.End();
        return names::EndForUninstallAccepted;
      }
      if (message == platform::win32::kTrayCallbackMessage) {
        config.fire([&] { config.trayMessage(static_cast<int>(LOWORD(lParam))); });
        return 0;
      }
      if (message == kWindowEventMessage) {
        const WPARAM events = std::exchange(g_pendingEvents, 0);
        config.fire([&] {
          if (events & kWindowAppeared) config.lockGuard.windowAppeared();
          else config.lockGuard.foregroundMayHaveChanged();
        });
        return 0;
      }
      if (message == WM_COPYDATA) {
        // A click on the Explorer menu, from whatever process sent it: the
        // bytes are copied and Explorer released before they are looked at.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        // Other copies (the state queries) are the view's.
        if (data == nullptr || data->dwData != names::ExplorerMenuCopyData) return std::nullopt;
        if (data->lpData == nullptr || data->cbData > explorer_menu::MaxBytes) return FALSE;
        const auto* bytes = static_cast<const std::byte*>(data->lpData);
        std::vector<std::byte> message(bytes, bytes + data->cbData);
        ReplyMessage(TRUE);
        config.fire([&] { config.explorerMenu.received(message); });
        return TRUE;
      }
      if (message == taskbarCreated && taskbarCreated != 0) {
        // Explorer restarted: the icon is gone and must be put back.
        config.fire([&] { app.addTrayIcon(); });
        return 0;
      }
      return std::nullopt;
    });
  }
  app.start();
  if (app.ended()) return 0;
  if (auto* view = forms::win32::Win32FormView::viewOf(config)) g_eventTarget = view->window();
  // The diagnostics switch "NoWinEvent" leaves the hooks out, so that the
  // watchers run on their timers alone (to measure what the hooks gain).
  std::vector<win32kit::UniqueWinEventHook> hooks;
  if (!win32kit::machineSwitch(L"NoWinEvent"))
    for (DWORD event : {EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_FOCUS, EVENT_OBJECT_CREATE,
                        EVENT_OBJECT_SHOW})
      hooks.push_back(hookWinEvent(event));
  return forms::win32::runMessageLoop([&app] { app.collect(); });
}
