#pragma once
// The main program's program-wide values: one object for the whole run.
// Names follow the program's established vocabulary so that handlers read
// like their descriptions.
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/registry.h"
#include "tessara7/encryption/encryption_settings.h"
#include "tessara7/restrictions/program_locks.h"

namespace tessara {

struct AppState {
  std::string AppFolder;   // the program's folder followed by a backslash
  std::string AppVersion;  // major.minor.revision, e.g. 7.1.3
  bool Loading = false;    // the window is being filled from the store
  platform::Root SettingsRoot = platform::Root::Machine;
  std::string WindowsFolder;
  // The pending request, the kept password and the configuration's lock are
  // PasswordRequests' (locking/password_requests.h).

  std::string NoticeText;
  std::string NoticeAnswer;

  bool ExplorerMenuNeedsPassword = false;
  encryption::EncryptionSettings Encryption;
  bool EncryptionBusy = false;

  // The Explorer menu's lock the switches' ticks set, at a load and at
  // Apply; the foreground watcher takes the whole-program locks.
  void take(const ProgramLocks& locks) { ExplorerMenuNeedsPassword = locks.explorerMenuNeedsPassword; }
};

}  // namespace tessara
