#pragma once
// How every guarded operation asks for the master password: its request
// names its action, the text the prompt shows, the window it guards and what
// the right password does; this leaves them pending and raises the prompt.
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class App;
class MasterPassword;

class PasswordRequests {
 public:
  PasswordRequests(App& app, MasterPassword& masterPassword);

  // Sets PendingAction, PendingTitle (unless title is nullopt, which keeps
  // the last one), PendingWindow (0 for an action that guards no window, so
  // that Cancel closes nothing) and, when given, PendingItem; then raises the
  // prompt, except while one of the program's dialogs is open (the actions
  // raised over a dialog excepted) or while the window is being loaded.
  // PendingProcess is the process given to an action that guards a window.
  void requestPassword(PasswordRequest request);
  // Leaves the request pending without raising the prompt (it waits for one
  // of the program's dialogs to close).
  void leavePending(PasswordRequest request);
  // The configuration window, which the right password opens.
  PasswordRequest configurationRequest(std::optional<std::string> title);
  void requestConfiguration(std::optional<std::string> title) { requestPassword(configurationRequest(std::move(title))); }

  // The right password was given for what is pending: its operation runs.
  void grant(const PasswordGiven& given);
  // The prompt closed: nothing is pending any more.
  void withdraw() { granted_ = nullptr; }

  // The configuration commands' guard: while the configuration is locked it
  // asks for the password ("cfg", the prompt's text unchanged) and answers
  // true, so that the command stops there.
  bool askConfigPassword();

  // Shows the prompt for what is pending: shown (restored when minimised),
  // captioned, titled, on top, focused. Each step is tried on its own.
  void ShowPWD();

 private:
  void noteLocked(Action action, platform::WindowHandle window, const std::optional<platform::ProcessKey>& process);

  App& app_;
  MasterPassword& masterPassword_;
  platform::WindowHandle lastLocked_ = 0;
  Action lastLockedAction_ = Action::None;
  std::string lastLockedTitle_;
  std::function<void(const PasswordGiven&)> granted_;  // the pending request's
};

}  // namespace tessara
