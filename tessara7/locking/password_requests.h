#pragma once
// How every guarded operation asks for the master password: its request
// names its action, the text the prompt shows, the window it guards and what
// the right password does; this leaves them pending and raises the prompt.
// It also guards the configuration window, which stays locked until the
// password is given.
#include <functional>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class FrmPassword;
class HistoryQueue;
class MasterPassword;
class ProgramLookup;

class PasswordRequests {
 public:
  // What the requests need of the program around them.
  class Host {
   public:
    virtual ~Host() = default;
    // The prompt, made afresh after it unloads.
    virtual FrmPassword& frmPassword() = 0;
    // The computer lock's blank screen is up: only its own prompt is raised.
    virtual bool computerLocked() const = 0;
    // The configuration window is being filled from the store.
    virtual bool loading() const = 0;
    // The configuration window comes up (the master password was given).
    virtual void showConfiguration() = 0;
  };
  struct Parts {
    MasterPassword& masterPassword;  // its timer runs while the prompt is up
    HistoryQueue& history;           // each window locked
    ProgramLookup& programs;         // the program file a locked window runs
  };
  PasswordRequests(Host& host, Parts parts);

  // What the next password prompt guards.
  struct Pending {
    Action PendingAction = Action::None;
    std::string PendingTitle;
    platform::WindowHandle PendingWindow = 0;
    std::string PendingItem;
    // The process of a window locked by a program entry.
    std::optional<platform::ProcessKey> PendingProcess;
  };
  Pending& pending() { return pending_; }
  const Pending& pending() const { return pending_; }

  // What outlasts each request.
  struct Session {
    std::string KeptPassword;  // memory only
    bool ConfigUnlocked = false;
    bool DialogOpen = false;  // a modal message or dialog of ours is open
  };
  Session& session() { return session_; }
  const Session& session() const { return session_; }

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
  void withdraw() {
    pending_.PendingAction = Action::None;
    granted_ = nullptr;
  }

  // The configuration commands' guard: while the configuration is locked it
  // asks for the password ("cfg", the prompt's text unchanged) and answers
  // true, so that the command stops there.
  bool askConfigPassword();

  // Shows the prompt for what is pending: shown (restored when minimised),
  // captioned, titled, on top, focused. Each step is tried on its own.
  void ShowPWD();

 private:
  void noteLocked(Action action, platform::WindowHandle window, const std::optional<platform::ProcessKey>& process);

  Host& host_;
  Parts p_;
  Pending pending_;
  Session session_;
  platform::WindowHandle lastLocked_ = 0;
  Action lastLockedAction_ = Action::None;
  std::string lastLockedTitle_;
  std::function<void(const PasswordGiven&)> granted_;  // the pending request's
};

}  // namespace tessara
