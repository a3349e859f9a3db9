#pragma once
// The advanced watcher: enforces the fixed locks of the Advanced menu
// (downloads, installers, archive extraction, Task Manager, My Computer,
// other browsers) and answers the launcher's window with the configuration
// prompt. It reuses the foreground watcher's last capture.
#include <string>
#include <vector>

#include "forms/controls.h"
#include "platform/desktop.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class App;
class Releases;

class AdvancedWatcher {
 public:
  // The implicit-lock list: window titles and classes, and program files
  // (names ending in ".exe"), matched against the foreground window's
  // program. lstHiddenProgram shows it.
  AdvancedWatcher(App& app, forms::ListBox& lstHiddenProgram, Releases& releases);

  void tmradv_Timer();

  // The load rebuilds the implicit-lock list from the Advanced menu's ticks.
  void clearImplicitLocks();
  void addImplicitLocks(const std::vector<std::string>& names);

  // What the password does for a window of the Advanced locks, and for an installer.
  PasswordRequest advancedLockRequest(platform::WindowHandle window);
  PasswordRequest installationRequest();

 private:
  void lockForAdvanced(platform::WindowHandle window);

  App& app_;
  forms::ListBox& lstHiddenProgram_;
  std::vector<std::string> names_;
  Releases& releases_;
};

}  // namespace tessara
