#pragma once
// The main program's program-wide values: one object for the whole run.
// Names follow the program's established vocabulary so that handlers read
// like their descriptions.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/registry.h"
#include "tessara7/encryption/encryption_settings.h"
#include "tessara7/locking/password_action.h"
#include "tessara7/restrictions/program_locks.h"

namespace tessara {

struct AppState {
  std::string AppFolder;   // the program's folder followed by a backslash
  std::string AppVersion;  // major.minor.revision, e.g. 7.1.3
  bool Loading = false;    // the window is being filled from the store
  platform::Root SettingsRoot = platform::Root::Machine;
  std::string WindowsFolder;
  std::string KeptPassword;    // memory only
  bool ConfigUnlocked = false;
  bool DialogOpen = false;  // a modal message or dialog of ours is open

  // What the next password prompt guards.
  Action PendingAction = Action::None;
  std::string PendingTitle;
  platform::WindowHandle PendingWindow = 0;
  std::string PendingItem;
  // The process of a window locked by a program entry.
  std::optional<platform::ProcessKey> PendingProcess;


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
