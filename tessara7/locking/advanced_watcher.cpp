#include "tessara7/locking/advanced_watcher.h"

#include "shared/names.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/locking/releases.h"
#include "tessara7/shell/app.h"

namespace tessara {
namespace {

bool isInstallerName(const std::string& name) {
  return name == "Setup" || name == "Install" || name == "Installer";
}

}  // namespace

AdvancedWatcher::AdvancedWatcher(App& app, forms::ListBox& lstHiddenProgram, Releases& releases)
    : app_(app), lstHiddenProgram_(lstHiddenProgram), releases_(releases) {}

void AdvancedWatcher::clearImplicitLocks() {
  names_.clear();
  lstHiddenProgram_.clear();
}

void AdvancedWatcher::addImplicitLocks(const std::vector<std::string>& names) {
  names_.insert(names_.end(), names.begin(), names.end());
  lstHiddenProgram_.setItems(names_);
}

void AdvancedWatcher::lockForAdvanced(platform::WindowHandle window) {
  auto& desktop = app_.os().desktop;
  desktop.showWindowAsync(window, platform::SwMinimize);
  desktop.showWindowAsync(window, platform::SwHide);
  PasswordRequest request = advancedLockRequest(window);
  app_.requestPassword(request);
  app_.lockGuard().held(std::move(request));
}

PasswordRequest AdvancedWatcher::advancedLockRequest(platform::WindowHandle window) {
  return {Action::AdvancedLock, "Restrictions", window, std::nullopt, std::nullopt, [this, window](const PasswordGiven&) {
            releases_.releaseWindow(window);
            app_.lockGuard().showReleased(window);
          }};
}

PasswordRequest AdvancedWatcher::installationRequest() {
  App& app = app_;
  return {.action = Action::Installation,
          .title = "Restrictions [installer]",
          .granted = [&app](const PasswordGiven& given) {
            app.state().InstallationsUnlocked = true;
            given.prompt.say("All Installations are permitted [click Cancel]");
          }};
}

void AdvancedWatcher::tmradv_Timer() {
  auto& state = app_.state();
  auto& desktop = app_.os().desktop;

  if (desktop.findWindow(std::nullopt, names::LauncherTitle) != 0)
    app_.requestConfiguration("Configuration Tool");

  // A copy: a lock's prompt may let a load run, which rebuilds the list.
  const std::vector<std::string> names = names_;
  // The program's own windows are never locked.
  const bool ownForeground = desktop.isOwnWindow(state.ForegroundWindow);
  // The foreground's program is looked up at most once a tick, and only for a program name.
  std::optional<platform::ProgramFile> program;
  bool lookedUp = false;
  const auto runsProgram = [&](const std::string& name) {
    if (!isProgramEntry(name) || state.ForegroundWindow == 0) return false;
    if (!lookedUp) {
      lookedUp = true;
      if (const auto found = app_.programs().of(state.ForegroundWindow)) program = *found->file;
    }
    return program && namesProgram(name, *program);
  };
  for (const auto& name : names) {
    const bool inTitle = !name.empty() && state.ForegroundTitle.find(name) != std::string::npos;
    const bool matches = inTitle || runsProgram(name);
    const platform::WindowHandle candidate = matches && !ownForeground ? state.ForegroundWindow : 0;
    if (isInstallerName(name)) {
      if (candidate == 0) continue;
      // Permitted installers are left alone; the other locks go on (a window
      // titled "Setup - Task Manager" must not end the whole tick).
      if (state.InstallationsUnlocked) continue;
      // The installer itself stays where it is; the prompt asks in front of it.
      app_.requestPassword(installationRequest());
      continue;
    }
    if (candidate != 0 && !releases_.windowReleased(candidate)) lockForAdvanced(candidate);
  }

  for (const auto& name : names) {
    if (isProgramEntry(name)) continue;  // a file name is no window class
    const platform::WindowHandle window = desktop.findWindow(name, std::nullopt);
    if (window != 0 && !releases_.windowReleased(window) && !desktop.isOwnWindow(window)) lockForAdvanced(window);
  }
}

}  // namespace tessara
