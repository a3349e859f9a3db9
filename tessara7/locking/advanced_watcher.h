#pragma once
// The advanced watcher: enforces the fixed locks of the Advanced menu
// (downloads, installers, archive extraction, Task Manager, My Computer,
// other browsers) and answers the launcher's window with the configuration
// prompt. It reuses the foreground watcher's last capture.
#include <optional>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "platform/desktop.h"
#include "tessara7/locking/foreground_capture.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class LockGuard;
class ProgramLookup;
class Releases;

class AdvancedWatcher {
 public:
  // What the watcher needs of the program around it.
  struct Host {
    virtual ~Host() = default;
    // Asks for the master password (see PasswordRequests).
    virtual void requestPassword(PasswordRequest request) = 0;
    // Asks for the password that opens the configuration window.
    virtual void requestConfiguration(std::optional<std::string> title) = 0;
    // Holds a locked window hidden until the password releases it.
    virtual LockGuard& lockGuard() = 0;
  };
  struct Parts {
    // The implicit-lock list: window titles and classes, and program files
    // (names ending in ".exe"), matched against the foreground window's
    // program. lstHiddenProgram shows it.
    forms::ListBox& lstHiddenProgram;
    platform::Desktop& desktop;
    ProgramLookup& programs;  // the program file behind a window
    Releases& releases;
    const ForegroundCapture& foreground;  // the foreground watcher's last capture
  };
  AdvancedWatcher(Host& host, Parts parts);

  void tmradv_Timer();

  // The load rebuilds the implicit-lock list from the Advanced menu's ticks.
  void clearImplicitLocks();
  void addImplicitLocks(const std::vector<std::string>& names);

  // The password permitted installations for the rest of the run.
  bool InstallationsUnlocked() const { return installationsUnlocked_; }

  // What the password does for a window of the Advanced locks, and for an installer.
  PasswordRequest advancedLockRequest(platform::WindowHandle window);
  PasswordRequest installationRequest();

 private:
  void lockForAdvanced(platform::WindowHandle window);

  Host& host_;
  Parts p_;
  std::vector<std::string> names_;
  bool installationsUnlocked_ = false;
};

}  // namespace tessara
