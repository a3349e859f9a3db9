#pragma once
// The program-wide locks that the Tweaks and Advanced ticks switch on, as
// the load and Apply hand them to the watchers and the Explorer menu.
#include <string>
#include <vector>

namespace tessara {

struct ProgramLocks {
  bool explorerMenuNeedsPassword = false;  // "mEnPwd"
  bool lockInternetExplorer = false;       // "chkLockIE"
  std::vector<std::string> internetExplorerFiles;
  bool lockWindowsExplorer = false;  // "chkLockex"
};

}  // namespace tessara
