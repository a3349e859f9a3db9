#pragma once
// The main program's uninstall commands: the uninstall label on the welcome
// page and the Help menu's item. The label arms itself with the master
// password; a click on it once armed hands the uninstaller its data file and
// starts it. Having handed the file over, the program ends at the
// uninstaller's request, without starting a new copy.
#include <string>

#include "forms/controls.h"
#include "forms/form.h"
#include "platform/platform.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class FileProtector;

class UninstallCommands {
 public:
  // What the commands need of the program around them.
  class Host {
   public:
    virtual void showNotice(std::string text) = 0;
    // Asks for the master password (the prompt, unless a dialog is open).
    virtual void requestPassword(PasswordRequest request) = 0;
    // Leaves the request pending, without a prompt, until the program's
    // dialog closes.
    virtual void leavePasswordPending(PasswordRequest request) = 0;
    virtual bool dialogOpen() const = 0;
    // One of the program's own dialogs opens or closes: no prompt over it.
    virtual void setDialogOpen(bool open) = 0;
    virtual void deleteTrayIcon() = 0;

   protected:
    ~Host() = default;
  };
  struct Controls {
    forms::Form& window;
    forms::Label& cmdUninstall;
    forms::Timer& tmrFileProtector;
  };
  struct Parts {
    platform::Platform& os;
    FileProtector& protector;
    const std::string& appFolder;  // the uninstaller and its data file lie there
  };
  UninstallCommands(Host& host, Controls controls, Parts parts);

  void cmdUninstall_Click();
  void mUninstall_Click();

  // The master password was given for "un": the label now runs the
  // uninstaller, and says so.
  void passwordGiven();
  bool armed() const;
  bool handedOver() const { return handedOver_; }

  // The uninstaller asks the program to end for good. True (and the program
  // ends) only after the hand-over, and only while another process holds
  // the data file open: so no other program can stop it this way while it
  // guards the installation.
  bool endForUninstaller();

  // What the master password does for the label and the menu.
  PasswordRequest request();

 private:
  Host& host_;
  Controls c_;
  Parts p_;
  bool handedOver_ = false;
};

}  // namespace tessara
