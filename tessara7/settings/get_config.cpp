// The settings loader: fills the configuration window and the program's
// values from the store. Each step that fails is skipped and the load goes on.
#include <algorithm>
#include <array>
#include <string>

#include "tessara7/common/text.h"
#include "tessara7/restrictions/catalogue.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {
namespace {

using platform::Root;

constexpr std::array<const char*, 25> kSuggestions{
    "Windows Media Player", "Notepad", "Messenger", "Task Manager", "Command Prompt",
    "System Configuration Utility", "Registry Editor", "Paint", "Run", "Outlook", "Solitaire",
    "Control Panel", "Display Properties", "Windows Firewall", "User Accounts", "System",
    "Folder Options", "Close Program", "My Computer", "My Music", "My Pictures", "Search",
    "Network Connections", "Local Disk", "DVD-RAM Drive"};

constexpr const char* kDefaultMasterPassword = "openbox";

template <typename Step>
void tryStep(Step step) {
  try {
    step();
  } catch (...) {
    // A failing step is skipped; the load goes on.
  }
}

// Numbers n below limit for which prefix + n is among the names, ascending.
// Listing the names once finds the same rows as probing every number.
std::vector<int> numberedEntries(const std::vector<std::string>& names, std::string_view prefix,
                                 int limit) {
  std::vector<int> numbers;
  for (const auto& name : names)
    if (auto n = numberAfter(name, prefix, limit)) numbers.push_back(*n);
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

}  // namespace

void FrmConfig::GetConfig() {
  auto& state = app_.state();
  auto& reg = app_.registry();
  PolicyChangeBatch batch(app_);  // boxes the load changes write their policies again

  state.Loading = true;
  state.SettingsRoot = Root::Machine;
  tryStep([&] {
    lstignore.clear();
    lstHiddenProgram.clear();
  });
  tryStep([&] { state.WindowsFolder = app_.os().files.windowsFolder(); });
  tryStep([&] { txtPath.setText(reg.GetStringValue(Root::Machine, keys::Settings, "LastPath")); });
  tryStep([&] { lstProgram.clear(); });
  tryStep([&] {
    if (reg.GetStringValue(Root::User, keys::Settings, "CurrentUser") == "Enabled") {
      state.SettingsRoot = Root::User;
      OptThisUser.select();
    } else {
      OptAllUsers.select();
      state.SettingsRoot = Root::Machine;
    }
  });
  tryStep([&] { loadLockRows(); });
  tryStep([&] {
    std::string password =
        lowerCase(reg.GetStringValue(state.SettingsRoot, keys::Password, "title2"));
    state.MasterPassword = password.empty() ? kDefaultMasterPassword : password;
  });
  tryStep([&] { loadIgnoreList(); });
  tryStep([&] {
    if (lstProgram.count() == 0)
      for (const char* suggestion : kSuggestions) lstProgram.addItem(suggestion, false);
  });
  tryStep([&] {
    File1.clear();
    const std::string root = app_.os().files.currentDirectory().substr(0, 2) + "\\";
    for (const auto& entry : app_.os().files.list(root))
      if (!entry.directory) File1.addItem(entry.name);
  });
  tryStep([&] {
    const std::string encryptionPassword = reg.GetStringValue(Root::Machine, keys::Password, "PWD2");
    if (!encryptionPassword.empty()) {
      txtEnPwd.setText(encryptionPassword);
      txtEnPwd.setEnabled(false);
      cmdenpwd.setCaption("Reset");
    }
  });
  tryStep([&] { loadPolicyTicks(); });
  tryStep([&] { loadFlags(); });
  state.Loading = false;
  tryStep([&] { updateStatus(); });
}

void FrmConfig::loadLockRows() {
  auto& reg = app_.registry();
  const Root root = app_.state().SettingsRoot;
  const auto rows = numberedEntries(app_.os().registry.subKeys(root, keys::Root),
                                    keys::WindowRowName, keys::kLockRowsRead);
  for (int row : rows) {
    tryStep([&] {
      const std::string key = keys::WindowRowPrefix + std::to_string(row);
      std::string text = reg.GetStringValue(root, key, "Window");
      if (text.empty()) return;
      lstProgram.addItem(std::move(text), true);
      const bool ticked = reg.GetStringValue(root, key, "Enabled") != "0";
      lstProgram.setChecked(lstProgram.count() - 1, ticked);
    });
  }
}

void FrmConfig::loadIgnoreList() {
  auto& reg = app_.registry();
  const auto numbers = numberedEntries(app_.os().registry.valueNames(Root::Machine, keys::Ignore),
                                       "Program", keys::kIgnoreValuesRead);
  for (int n : numbers) {
    tryStep([&] {
      std::string text = reg.GetStringValue(Root::Machine, keys::Ignore, "Program" + std::to_string(n));
      if (!text.empty()) lstignore.addItem(std::move(text));
    });
  }
}

void FrmConfig::loadPolicyTicks() {
  auto& reg = app_.registry();
  const Root root = app_.state().SettingsRoot;
  // The Tweaks items, "Disable Internet Options" and "Remove Favorites"
  // included, so that the next Apply keeps what is stored.
  for (const auto& entry : catalogue::switches()) {
    if (entry.encoding != catalogue::Encoding::PolicyDword) continue;
    tryStep([&] {
      forms::MenuItem* item = findMenu(std::string(entry.control));
      const auto dword = reg.GetDwordValue(root, entry.key, entry.value);
      if (item) item->setChecked(catalogue::ticked(entry, {}, dword));
    });
  }
  tryStep([&] {
    chklockusb.setValue(reg.GetDwordValue(Root::Machine, keys::StoragePolicies, "WriteProtect") == 1 ? 1 : 0);
  });
}

void FrmConfig::loadFlags() {
  auto& state = app_.state();
  auto& reg = app_.registry();
  const auto flag = [&](Root root, std::string_view name) {
    return reg.GetStringValue(root, keys::Settings, name);
  };

  // Program switches of the catalogue (Advanced and Settings menus, the
  // Explorer-menu box).
  for (const auto& entry : catalogue::switches()) {
    if (entry.encoding != catalogue::Encoding::Flag) continue;
    tryStep([&] {
      const Root root = entry.where == catalogue::Where::Machine ? Root::Machine : state.SettingsRoot;
      const bool on = catalogue::ticked(entry, flag(root, entry.value), 0);
      if (entry.control == "chkContextMenu") {
        chkContextMenu.setValue(on ? 1 : 0);
      } else if (forms::MenuItem* item = findMenu(std::string(entry.control))) {
        item->setChecked(on);
      }
    });
  }
  tryStep([&] {
    mLockWorkstation.setEnabled(!mhidecoffebreak.checked());
    mconfig.setEnabled(!mhideconfigure.checked());
    state.ExplorerMenuNeedsPassword = mEnPwd.checked();
    state.LockInternetExplorer = chkLockIE.checked();
    state.LockWindowsExplorer = chkLockex.checked();
  });
  tryStep([&] {
    for (const auto& lock : catalogue::implicitLocks()) {
      const forms::MenuItem* item = findMenu(std::string(lock.control));
      if (item && item->checked())
        for (auto name : lock.names) lstHiddenProgram.addItem(std::string(name));
    }
  });

  // The system protections and the wallpaper item, stored machine-wide.
  tryStep([&] { chkLockStart.setValue(flag(Root::Machine, "chkLockStart") == "1" ? 1 : 0); });
  tryStep([&] { chkWallpaper.setChecked(flag(Root::Machine, "disablewallpaper") == "1"); });
  tryStep([&] {
    if (flag(Root::Machine, "NoDrives") == "1") {
      chkC.setValue(1);
      chkNoViewOnDrive.setValue(1);
    } else {
      chkNoViewOnDrive.setValue(0);
    }
  });
}

}  // namespace tessara
