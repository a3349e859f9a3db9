#pragma once
// How every guarded operation asks for the master password: it names its
// action, the text the prompt shows and the window it guards; this leaves
// them in the pending values and raises the prompt.
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "tessara7/locking/password_action.h"

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
  void requestPassword(Action action, std::optional<std::string> title, platform::WindowHandle window = 0,
                       std::optional<std::string> item = std::nullopt,
                       std::optional<platform::ProcessKey> process = std::nullopt);

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
};

}  // namespace tessara
