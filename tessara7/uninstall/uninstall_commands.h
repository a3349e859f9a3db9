#pragma once
// The main program's uninstall commands: the uninstall button on the welcome
// page and the Help menu's item. The button arms itself with the master
// password; running the uninstaller once armed comes with the uninstaller.
#include "forms/controls.h"

namespace tessara {

class UninstallCommands {
 public:
  explicit UninstallCommands(forms::Label& cmdUninstall);

  // The master password was given for "un": the button now runs the
  // uninstaller, and says so.
  void passwordGiven();
  bool armed() const;

 private:
  forms::Label& cmdUninstall_;
};

}  // namespace tessara
