// The advanced watcher: enforces the fixed locks of the Advanced menu
// (downloads, installers, archive extraction, Task Manager, My Computer,
// other browsers) and answers the launcher's window with the configuration
// prompt. It reuses the foreground watcher's last capture.
#include <charconv>

#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {
namespace {

constexpr const char* kLauncherTitle = "Password Required [TSR]";

bool isInstallerName(const std::string& name) {
  return name == "Setup" || name == "Install" || name == "Installer";
}

}  // namespace

void FrmConfig::connectAdvancedWatcher() {
  tmradv.onTimer = [this] { tmradv_Timer(); };
}

// Released by the password for this very window: an entry that is the
// window's handle in decimal. Class names never match a number.
bool FrmConfig::releasedWindow(platform::WindowHandle window) const {
  if (window == 0) return false;
  for (const auto& entry : lstAllow.items()) {
    platform::WindowHandle handle = 0;
    const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), handle);
    if (error == std::errc() && end == entry.data() + entry.size() && handle == window) return true;
  }
  return false;
}

void FrmConfig::lockForAdvanced(platform::WindowHandle window) {
  auto& state = app_.state();
  auto& desktop = app_.os().desktop;
  desktop.showWindowAsync(window, platform::SwMinimize);
  desktop.showWindowAsync(window, platform::SwHide);
  state.PendingAction = "adv";
  state.PendingWindow = window;
  state.PendingTitle = "Restrictions";
  if (!state.DialogOpen) ShowPWD();
}

void FrmConfig::tmradv_Timer() {
  auto& state = app_.state();
  auto& desktop = app_.os().desktop;

  if (desktop.findWindow(std::nullopt, kLauncherTitle) != 0) {
    state.PendingAction = "cfg";
    state.PendingTitle = "Configuration Tool";
    state.PendingWindow = 0;
    if (!state.DialogOpen) ShowPWD();
  }

  const std::vector<std::string> names = lstHiddenProgram.items();
  for (const auto& name : names) {
    const bool inTitle = !name.empty() && state.ForegroundTitle.find(name) != std::string::npos;
    const platform::WindowHandle candidate = inTitle ? state.ForegroundWindow : 0;
    if (isInstallerName(name)) {
      if (candidate == 0) continue;
      if (state.InstallationsUnlocked) return;
      // The installer itself stays where it is; the prompt asks in front of it.
      state.PendingAction = "ins";
      state.PendingWindow = 0;
      state.PendingTitle = "Restrictions [installer]";
      if (!state.DialogOpen) ShowPWD();
      continue;
    }
    if (candidate != 0 && !releasedWindow(candidate)) lockForAdvanced(candidate);
  }

  for (const auto& name : names) {
    const platform::WindowHandle window = desktop.findWindow(name, std::nullopt);
    if (window != 0 && !releasedWindow(window)) lockForAdvanced(window);
  }
}

}  // namespace tessara
