// Apply: saves everything the window holds that is not saved at the click,
// then reloads the settings so that window, store and watchers agree.
#include "tessara7/common/text.h"
#include "tessara7/locking/ignore_store.h"
#include "tessara7/restrictions/catalogue.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {
namespace {

using platform::Root;

constexpr const char* kRightsMessage =
    "The software tried to save settings to the local registry and failed.\r\r"
    "This could mean you do not have administrator rights. Please check this. "
    "You can contact support email if you need. Please send this error code: v700-NOACCESSREG.";

constexpr int kRowsCleared = 1000;  // Windows0 to Windows999

}  // namespace

void FrmConfig::connectApply() {
  cmdok.onClick = [this] { cmdok_Click(); };
}

// Deletes the lock-list row keys "Windows<n>" with first <= n < 1000 under a
// root. Listing the keys that exist deletes exactly what deleting every
// number would.
void FrmConfig::clearLockRows(platform::Root root, int first) {
  auto& reg = app_.registry();
  for (const auto& name : app_.os().registry.subKeys(root, keys::Root)) {
    const auto row = numberAfter(name, keys::WindowRowName, kRowsCleared);
    if (row && *row >= first) reg.DeleteKey(root, keys::WindowRowPrefix + std::to_string(*row));
  }
}

void FrmConfig::cmdok_Click() {
  auto& state = app_.state();
  auto& reg = app_.registry();
  PolicyChangeBatch batch(app_);

  reg.SaveStringValue(Root::Machine, keys::Settings, "tmp", "testadminrights");
  if (reg.GetStringValue(Root::Machine, keys::Settings, "tmp").empty()) app_.showNotice(kRightsMessage);
  reg.DeleteValue(Root::Machine, keys::Settings, "tmp");
  reg.DeleteKey(Root::Machine, keys::ShelterItems);

  writeIgnoreStore(reg, lstignore.items(), false);
  clearLockRows(Root::Machine, 0);

  if (OptThisUser.value()) {
    state.SettingsRoot = Root::User;
    reg.DeleteKey(Root::User, keys::Programs);
    reg.SaveStringValue(Root::User, keys::Settings, "CurrentUser", "Enabled");
    // Rows of an earlier, longer per-user list would come back at the next load.
    clearLockRows(Root::User, lstProgram.count());
  } else {
    state.SettingsRoot = Root::Machine;
    reg.SaveStringValue(Root::User, keys::Settings, "CurrentUser", "Disabled");
    reg.DeleteKey(Root::Machine, keys::Programs);
  }

  for (int n = 0; n < lstProgram.count(); ++n) {
    const std::string key = keys::WindowRowPrefix + std::to_string(n);
    reg.SaveStringValue(state.SettingsRoot, key, "Window", lstProgram.item(n));
    reg.SaveStringValue(state.SettingsRoot, key, "Enabled", lstProgram.checked(n) ? "1" : "0");
  }

  for (const auto& entry : catalogue::switches()) {
    const bool on = entry.control == "chkContextMenu" ? chkContextMenu.value() == 1
                                                      : findMenu(std::string(entry.control))->checked();
    const Root root = entry.where == catalogue::Where::Machine ? Root::Machine : state.SettingsRoot;
    if (entry.encoding == catalogue::Encoding::PolicyDword) {
      reg.SaveDwordValue(root, entry.key, entry.value, on ? 1 : 0);
      app_.policiesChanged();
    } else {
      reg.SaveStringValue(root, entry.key, entry.value, on ? "1" : "0");
    }
  }
  state.ExplorerMenuNeedsPassword = mEnPwd.checked();
  state.LockInternetExplorer = chkLockIE.checked();
  state.LockWindowsExplorer = chkLockex.checked();

  GetConfig();
  cmdCancel.setCaption("Close");
}

}  // namespace tessara
