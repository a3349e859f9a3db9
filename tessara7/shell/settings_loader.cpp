#include "tessara7/shell/settings_loader.h"

#include "tessara7/encryption/explorer_menu.h"
#include "tessara7/locking/advanced_watcher.h"
#include "tessara7/locking/foreground_watcher.h"
#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/restrictions/protections.h"
#include "tessara7/restrictions/switches.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/tray_menu.h"

namespace tessara {

using platform::Root;

SettingsLoader::SettingsLoader(App& app, Parts parts) : app_(app), p_(parts) {}

void SettingsLoader::reloadWhenManagedChanged() {
  if (app_.managedSettings().load(app_.os().registry)) GetConfig();
}

void SettingsLoader::readAhead() {
  auto ahead = std::make_unique<ReadAhead>();
  ahead->root = app_.userScope().granted() ? Root::User : Root::Machine;
  // The reads touch only the registry and these two lists, never a value an
  // administrator manages, so nothing the program's thread changes meanwhile.
  ahead->reads = app_.os().registry.readAhead(
      [read = ahead.get(), &registry = app_.registry(), &ignoreList = p_.ignoreList] {
        try {
          read->rows = loadLockRows(registry, read->root);
          read->ignored = ignoreList.storedTitles();
          read->complete = true;
        } catch (...) {  // out of memory: the load reads the store itself
        }
      });
  ahead_ = std::move(ahead);
}

void SettingsLoader::GetConfig() {
  // What was read ahead serves this load only; a later load reads the store.
  std::unique_ptr<ReadAhead> ahead = std::move(ahead_);
  if (ahead) ahead->reads->wait();
  if (ahead && !ahead->complete) ahead.reset();
  auto& state = app_.state();
  auto& reg = app_.registry();
  auto& files = app_.os().files;
  PolicyChanges::Batch batch(app_.policyChanges());  // boxes the load changes write their policies again
  // The lists are filled whole and shown once, not entry by entry.
  forms::UpdateBatch shownOnce(p_.window);

  state.Loading = true;
  state.SettingsRoot = Root::Machine;
  steps_.run("managed settings", [&] { app_.managedSettings().load(app_.os().registry); });
  steps_.run("clear the lists", [&] {
    p_.ignoreList.clear();
    p_.advancedWatcher.clearImplicitLocks();
  });
  steps_.run("Windows folder", [&] { state.WindowsFolder = files.windowsFolder(); });
  steps_.run("last path", [&] { p_.txtPath.setText(reg.GetStringValue(Root::Machine, keys::Settings, "LastPath")); });
  steps_.run("clear the lock list", [&] { p_.lockList.clear(); });
  steps_.run("scope", [&] {
    if (app_.userScope().granted()) {
      state.SettingsRoot = Root::User;
      p_.OptThisUser.select();
    } else {
      p_.OptAllUsers.select();
      state.SettingsRoot = Root::Machine;
    }
  });
  steps_.run("lock rows", [&] {
    // A lock list the administrator manages stands in place of the owner's.
    const auto& tasks = app_.managedSettings().tasks();
    if (!tasks && ahead && ahead->root == state.SettingsRoot) {
      p_.lockList.load(std::move(ahead->rows));
    } else if (!tasks) {
      p_.lockList.load(reg, state.SettingsRoot);
    }
    p_.lockList.showManaged(tasks);
  });
  steps_.run("master password", [&] {
    p_.masterPassword.load(reg, state.SettingsRoot);
    p_.masterPassword.showManaged(
        app_.managedSettings().setting(ManagedSettings::MasterPasswordValue).has_value());
  });
  steps_.run("ignore list", [&] {
    if (ahead) {
      p_.ignoreList.load(std::move(ahead->ignored));
    } else {
      p_.ignoreList.load();
    }
  });
  steps_.run("suggestions", [&] { p_.lockList.suggestWhenEmpty(); });
  steps_.run("file list", [&] {
    p_.File1.clear();
    std::vector<std::string> names;
    const std::string root = files.currentDirectory().substr(0, 2) + "\\";
    for (const auto& entry : files.list(root))
      if (!entry.directory) names.push_back(entry.name);
    p_.File1.setItems(std::move(names));
  });
  steps_.run("encryption password", [&] {
    const std::string encryptionPassword = reg.GetStringValue(Root::Machine, keys::Password, "PWD2");
    if (!encryptionPassword.empty()) {
      p_.txtEnPwd.setText(encryptionPassword);
      p_.txtEnPwd.setEnabled(false);
      p_.cmdenpwd.setCaption("Reset");
    }
  });
  steps_.run("policy ticks", [&] { p_.switches.loadPolicyTicks(reg, state.SettingsRoot); });
  steps_.run("USB protection", [&] { p_.protections.loadUsbTick(reg); });
  steps_.run("flags", [&] {
    p_.switches.loadFlags(reg, state.SettingsRoot);
    p_.switches.noteLoaded();
  });
  steps_.run("managed settings shown", [&] { p_.switches.showManaged(app_.managedSettings()); });
  steps_.run("Explorer menu", [&] {
    p_.explorerMenu.load(reg.GetStringValue(state.SettingsRoot, keys::Settings, "chkContextMenu") == "1");
  });
  steps_.run("tray switches", [&] { p_.trayMenu.applySwitches(); });
  steps_.run("program locks", [&] {
    ProgramLocks locks = p_.switches.programLocks();
    state.take(locks);
    p_.foregroundWatcher.take(std::move(locks.wholePrograms));
  });
  steps_.run("implicit locks", [&] { p_.advancedWatcher.addImplicitLocks(p_.switches.implicitLockNames()); });
  steps_.run("protections", [&] { p_.protections.loadFlags(reg); });
  state.Loading = false;
  steps_.run("status", [&] {
    if (onLoaded) onLoaded();
  });
}

}  // namespace tessara
