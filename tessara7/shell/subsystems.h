#pragma once
// The program's composition root: the subsystems behind the configuration
// window's controls, built on those controls and on narrow views of the
// program, and wired to the controls' events (subsystems_wiring.cpp). The
// window itself holds only controls, menus and layout.
#include "tessara7/encryption/command_runner.h"
#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/encryption_page.h"
#include "tessara7/encryption/encryption_run.h"
#include "tessara7/encryption/explorer_menu.h"
#include "tessara7/encryption/file_protector.h"
#include "tessara7/locking/advanced_watcher.h"
#include "tessara7/locking/computer_lock.h"
#include "tessara7/locking/foreground_watcher.h"
#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/releases.h"
#include "tessara7/shell/apply.h"
#include "tessara7/restrictions/protections.h"
#include "tessara7/restrictions/switches.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/settings_loader.h"
#include "tessara7/shell/startup.h"
#include "tessara7/shell/tray_menu.h"
#include "tessara7/transfer/transfer_commands.h"
#include "tessara7/uninstall/uninstall_commands.h"

namespace tessara {

class App;

class Subsystems {
 public:
  Subsystems(App& app, FrmConfig& w);
  Subsystems(const Subsystems&) = delete;
  Subsystems& operator=(const Subsystems&) = delete;

  // The subsystems behind the controls, built on them in this order.
  Releases releases;
  IgnoreList ignoreList;
  LockList lockList;
  ForegroundWatcher foregroundWatcher;
  AdvancedWatcher advancedWatcher;
  MasterPassword masterPassword;
  LockGuard lockGuard;
  ComputerLock computerLock;  // after the guard, which it tells to watch closely
  RestrictionSwitches switches;
  Protections protections;
  TrayMenu trayMenu;
  FileProtector protector;
  UninstallCommands uninstall;
  TransferCommands transfer;
  encryption::EncryptionComponent RSPEncrypt1;
  EncryptionRun run;
  EncryptionPage encryptionPage;  // before the runner, which takes it as its target
  CommandRunner commandRunner;
  ExplorerMenu explorerMenu;
  SettingsLoader loader;
  Startup startup;
  Apply apply;

 private:
  void connectHandlers();

  App& app_;
  FrmConfig& w_;
};

}  // namespace tessara
