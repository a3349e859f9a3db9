#pragma once
// "Lock Computer": a blank screen until the master password is given.
#include "platform/desktop.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class FrmBlank;
class FrmPassword;
class HistoryQueue;
class LockGuard;

class ComputerLock {
 public:
  // What the lock needs of the program around it: its two windows (made
  // afresh after they unload), the prompt's request, and whether a dialog
  // of the program is open.
  class Host {
   public:
    virtual FrmBlank& frmBlank() = 0;
    virtual FrmBlank* openBlank() = 0;  // nullptr when not loaded
    virtual FrmPassword& frmPassword() = 0;
    virtual FrmPassword* openPassword() = 0;
    virtual void requestPassword(PasswordRequest request) = 0;
    virtual bool dialogOpen() const = 0;

   protected:
    ~Host() = default;
  };
  struct Parts {
    HistoryQueue& history;
    platform::Desktop& desktop;
    LockGuard& guard;  // watches closely while the lock comes up
  };
  ComputerLock(Host& host, Parts parts);

  void mLockWorkstation_Click();

  // The blank screen is up.
  bool holds() const;
  // The prompt stands above the blank screen, shown, restored and active;
  // true when it had to be put back (another program took the front, hid or
  // minimised it, or the user clicked the blank screen).
  bool keepInPlace();

 private:
  Host& host_;
  Parts p_;
};

}  // namespace tessara
