#pragma once
// The foreground watcher: twice a second (and at once when the foreground
// window or its title changes) it locks a window whose title holds a ticked
// task name or whose process runs a program file a ticked entry names, enforces the two whole-program locks, and prunes releases.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "tessara7/locking/foreground_capture.h"
#include "tessara7/locking/password_request.h"
#include "tessara7/locking/whole_program_locks.h"

namespace tessara {

class IgnoreList;
class LockGuard;
class LockList;
class ProgramLookup;
class Releases;

class ForegroundWatcher {
 public:
  // What the watcher needs of the program around it.
  struct Host {
    virtual ~Host() = default;
    // Asks for the master password (see PasswordRequests).
    virtual void requestPassword(PasswordRequest request) = 0;
    // Holds a locked window hidden until the password releases it.
    virtual LockGuard& lockGuard() = 0;
    virtual void showNotice(std::string text) = 0;
  };
  struct Parts {
    platform::Desktop& desktop;
    ProgramLookup& programs;  // the program file behind a window
    const LockList& lockList;
    Releases& releases;
    IgnoreList& ignoreList;  // spared titles; "Ignore in future" adds one
  };
  ForegroundWatcher(Host& host, Parts parts);

  void timerTessara_Timer();

  // What the last tick saw at the front.
  const ForegroundCapture& capture() const { return capture_; }
  // The whole-program locks, as the last load or Apply set them and the
  // password lifted them since.
  WholeProgramLocks& wholeProgramLocks() { return locks_; }
  void take(WholeProgramLocks locks) { locks_ = std::move(locks); }

  // What the password does for each of its locks: a window of a listed
  // title or program, and the whole-program locks.
  PasswordRequest listedWindowRequest(platform::WindowHandle window, std::string title, std::string windowClass,
                                      std::optional<platform::ProcessKey> program);
  PasswordRequest wholeProgramRequest(platform::WindowHandle window, Action action, std::string title);

 private:
  void lockListedWindow();
  std::optional<platform::ProcessKey> lockedProgram(platform::WindowHandle window);
  bool runsOneOf(platform::WindowHandle window, const std::vector<std::string>& files);
  void lockWholeProgram(platform::WindowHandle window, Action action, const char* title);
  // The password released a window of a listed title or program.
  void releaseListed(const PasswordRequest& lock, PromptFace& prompt);

  Host& host_;
  Parts p_;
  ForegroundCapture capture_;
  WholeProgramLocks locks_;
};

}  // namespace tessara
