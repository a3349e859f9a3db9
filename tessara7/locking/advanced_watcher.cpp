#include "tessara7/locking/advanced_watcher.h"

#include "shared/names.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/locking/releases.h"

namespace tessara {
namespace {

bool isInstallerName(const std::string& name) {
  return name == "Setup" || name == "Install" || name == "Installer";
}

}  // namespace

AdvancedWatcher::AdvancedWatcher(Host& host, Parts parts) : host_(host), p_(parts) {}

void AdvancedWatcher::clearImplicitLocks() {
  names_.clear();
  p_.lstHiddenProgram.clear();
}

void AdvancedWatcher::addImplicitLocks(const std::vector<std::string>& names) {
  names_.insert(names_.end(), names.begin(), names.end());
  p_.lstHiddenProgram.setItems(names_);
}

void AdvancedWatcher::lockForAdvanced(platform::WindowHandle window) {
  p_.desktop.showWindowAsync(window, platform::SwMinimize);
  p_.desktop.showWindowAsync(window, platform::SwHide);
  PasswordRequest request = advancedLockRequest(window);
  host_.requestPassword(request);
  host_.lockGuard().held(std::move(request));
}

PasswordRequest AdvancedWatcher::advancedLockRequest(platform::WindowHandle window) {
  return {Action::AdvancedLock, "Restrictions", window, std::nullopt, std::nullopt, [this, window](const PasswordGiven&) {
            p_.releases.releaseWindow(window);
            host_.lockGuard().showReleased(window);
          }};
}

PasswordRequest AdvancedWatcher::installationRequest() {
  return {.action = Action::Installation,
          .title = "Restrictions [installer]",
          .granted = [this](const PasswordGiven& given) {
            installationsUnlocked_ = true;
            given.prompt.say("All Installations are permitted [click Cancel]");
          }};
}

void AdvancedWatcher::tmradv_Timer() {
  const ForegroundCapture& front = p_.foreground;
  auto& desktop = p_.desktop;

  if (desktop.findWindow(std::nullopt, names::LauncherTitle) != 0)
    host_.requestConfiguration("Configuration Tool");

  // A copy: a lock's prompt may let a load run, which rebuilds the list.
  const std::vector<std::string> names = names_;
  // The program's own windows are never locked.
  const bool ownForeground = desktop.isOwnWindow(front.ForegroundWindow);
  // The foreground's program is looked up at most once a tick, and only for a program name.
  std::optional<platform::ProgramFile> program;
  bool lookedUp = false;
  const auto runsProgram = [&](const std::string& name) {
    if (!isProgramEntry(name) || front.ForegroundWindow == 0) return false;
    if (!lookedUp) {
      lookedUp = true;
      if (const auto found = p_.programs.of(front.ForegroundWindow)) program = *found->file;
    }
    return program && namesProgram(name, *program);
  };
  for (const auto& name : names) {
    const bool inTitle = !name.empty() && front.ForegroundTitle.find(name) != std::string::npos;
    const bool matches = inTitle || runsProgram(name);
    const platform::WindowHandle candidate = matches && !ownForeground ? front.ForegroundWindow : 0;
    if (isInstallerName(name)) {
      if (candidate == 0) continue;
      // Permitted installers are left alone; the other locks go on (a window
      // titled "Setup - Task Manager" must not end the whole tick).
      if (installationsUnlocked_) continue;
      // The installer itself stays where it is; the prompt asks in front of it.
      host_.requestPassword(installationRequest());
      continue;
    }
    if (candidate != 0 && !p_.releases.windowReleased(candidate)) lockForAdvanced(candidate);
  }

  for (const auto& name : names) {
    if (isProgramEntry(name)) continue;  // a file name is no window class
    const platform::WindowHandle window = desktop.findWindow(name, std::nullopt);
    if (window != 0 && !p_.releases.windowReleased(window) && !desktop.isOwnWindow(window)) lockForAdvanced(window);
  }
}

}  // namespace tessara
