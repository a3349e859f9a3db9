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
#include "platform/win32/win32_window_events.h"
#include "res/resource_ids.h"
#include "shared/win32/module.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/outside_events.h"
#include "tessara7/shell/settings_loader.h"
#include "tessara7/shell/subsystems.h"

namespace {

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
  // The window hears what comes from outside before the load lets other
  // programs see it: a click sent from Explorer's menu while the settings
  // load is not lost. Other programs' windows are watched once it started.
  tessara::OutsideEvents outside(app);
  // The store's long lists are read while the window is being made.
  app.subsystems().loader.readAhead();
  tessara::FrmConfig& config = app.frmConfig();
  config.ensureView();
  std::optional<platform::win32::Win32WindowEvents> events;
  if (auto* view = forms::win32::Win32FormView::viewOf(config)) {
    SendMessageW(view->window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    events.emplace(view->window());
    view->addMessageHook(events->messageHandler());
    events->listen(outside);
  }
  app.start();
  if (app.ended()) return 0;
  if (events) events->watchOtherWindows();
  return forms::win32::runMessageLoop([&app] { app.collect(); });
}
