#pragma once
// The locks on whole programs that the Tweaks ticks switch on: the foreground
// watcher minimises such a program's window and asks for the password, which
// lifts the lock until the next load or Apply sets it again.
#include <string>
#include <vector>

namespace tessara {

struct WholeProgramLocks {
  bool LockInternetExplorer = false;               // "chkLockIE"
  std::vector<std::string> InternetExplorerFiles;  // its program files, from the catalogue
  bool LockWindowsExplorer = false;                // "chkLockex"
};

}  // namespace tessara
