#pragma once
// The foreground watcher: twice a second (and at once when the foreground
// window or its title changes) it locks a window whose title holds a ticked
// task name or whose process runs a program file a ticked entry names, enforces the two whole-program locks, and prunes releases.
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class App;
class IgnoreList;
class LockList;
class Releases;

class ForegroundWatcher {
 public:
  ForegroundWatcher(App& app, const LockList& lockList, Releases& releases, const IgnoreList& ignoreList);

  void timerTessara_Timer();

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

  App& app_;
  const LockList& lockList_;
  Releases& releases_;
  const IgnoreList& ignoreList_;
};

}  // namespace tessara
