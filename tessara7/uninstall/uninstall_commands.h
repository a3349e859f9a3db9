#pragma once
// The main program's uninstall commands: the uninstall label on the welcome
// page and the Help menu's item. The label arms itself with the master
// password; a click on it once armed hands the uninstaller its data file and
// starts it. Having handed the file over, the program ends at the
// uninstaller's request, without starting a new copy.
#include "forms/controls.h"
#include "forms/form.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class App;
class FileProtector;

class UninstallCommands {
 public:
  struct Controls {
    forms::Form& window;
    forms::Label& cmdUninstall;
    forms::Timer& tmrFileProtector;
  };
  UninstallCommands(App& app, Controls controls, FileProtector& protector);

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
  App& app_;
  Controls c_;
  FileProtector& protector_;
  bool handedOver_ = false;
};

}  // namespace tessara
