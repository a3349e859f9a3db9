// tessara7: the main program. Starts hidden with its tray icon; everything
// else runs on the configuration window's timers and messages.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <optional>
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
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace {

// Runs the foreground watcher at once when the foreground window or its
// title changes, besides its half-second timer.
constexpr UINT kWatchNowMessage = WM_APP + 2;
HWND g_watchTarget = nullptr;
bool g_watchPending = false;

HWND g_lastForeground = nullptr;

void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (event == EVENT_OBJECT_NAMECHANGE &&
      (object != OBJID_WINDOW || child != CHILDID_SELF || window != GetForegroundWindow()))
    return;
  // Focus moves often within one window; only a new foreground window counts.
  // (Wine raises focus events but not the foreground event.)
  if (event == EVENT_OBJECT_FOCUS) {
    const HWND foreground = GetForegroundWindow();
    if (foreground == g_lastForeground) return;
    g_lastForeground = foreground;
  }
  if (g_watchPending || !g_watchTarget) return;
  g_watchPending = PostMessageW(g_watchTarget, kWatchNowMessage, 0, 0) != FALSE;
}

// Watches one kind of WinEvent for the whole process, out of context.
win32kit::UniqueWinEventHook hookWinEvent(DWORD event) {
  return win32kit::UniqueWinEventHook(
      SetWinEventHook(event, event, nullptr, onWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT));
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
  app.start();
  if (app.ended()) return 0;

  tessara::FrmConfig& config = app.frmConfig();
  if (auto* view = forms::win32::Win32FormView::viewOf(config)) {
    SendMessageW(view->window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    view->addMessageHook([&app, &config, taskbarCreated](UINT message, WPARAM, LPARAM lParam)
                             -> std::optional<LRESULT> {
      if (message == platform::win32::kTrayCallbackMessage) {
        config.fire([&] { config.trayMessage(static_cast<int>(LOWORD(lParam))); });
        return 0;
      }
      if (message == kWatchNowMessage) {
        g_watchPending = false;
        config.timerTessara.tick();
        config.tmradv.tick();
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
  if (auto* view = forms::win32::Win32FormView::viewOf(config)) g_watchTarget = view->window();
  // TESSARA_NO_WINEVENT=1 leaves the hooks out, so that the watcher runs on its
  // timer alone (to measure what the hooks gain).
  std::vector<win32kit::UniqueWinEventHook> hooks;
  if (!win32kit::environmentSwitch(L"TESSARA_NO_WINEVENT"))
    for (DWORD event : {EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_FOCUS})
      hooks.push_back(hookWinEvent(event));
  return forms::win32::runMessageLoop([&app] { app.collect(); });
}
