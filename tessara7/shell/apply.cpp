#include "tessara7/shell/apply.h"

#include "tessara7/locking/foreground_watcher.h"
#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/restrictions/switches.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/settings_loader.h"

namespace tessara {
namespace {

using platform::Root;

constexpr const char* kRightsMessage =
    "The software tried to save settings to the local registry and failed.\r\r"
    "This could mean you do not have administrator rights. Please check this. "
    "You can contact support email if you need. Please send this error code: v700-NOACCESSREG.";

}  // namespace

Apply::Apply(App& app, Parts parts) : app_(app), p_(parts) {}

void Apply::cmdok_Click() {
  auto& state = app_.state();
  auto& reg = app_.registry();
  PolicyChanges::Batch batch(app_.policyChanges());

  const std::string changes = changesToApply();
  reg.SaveStringValue(Root::Machine, keys::Settings, "tmp", "testadminrights");
  if (reg.GetStringValue(Root::Machine, keys::Settings, "tmp").empty()) app_.showNotice(kRightsMessage);
  reg.DeleteValue(Root::Machine, keys::Settings, "tmp");
  reg.DeleteKey(Root::Machine, keys::ShelterItems);

  p_.ignoreList.store(false);
  if (p_.OptThisUser.value()) {
    state.SettingsRoot = Root::User;
    reg.DeleteKey(Root::User, keys::Programs);
    app_.userScope().choose(true);
  } else {
    state.SettingsRoot = Root::Machine;
    app_.userScope().choose(false);
    reg.DeleteKey(Root::Machine, keys::Programs);
  }
  p_.lockList.save(reg, state.SettingsRoot);

  p_.switches.save(app_.registry(), app_.policyChanges(), state.SettingsRoot);
  ProgramLocks locks = p_.switches.programLocks();
  state.take(locks);
  p_.foregroundWatcher.take(std::move(locks.wholePrograms));

  p_.loader.GetConfig();
  p_.cmdCancel.setCaption("Close");
  app_.history().record(history::Kind::Apply, changes);
}

// The names of what Apply is about to change, never the values: the lock
// list as a whole, the scope, and each switch by its registry value, all
// against what the last load found.
std::string Apply::changesToApply() {
  std::vector<std::string> changed;
  if ((p_.OptThisUser.value() != 0) != (app_.state().SettingsRoot == Root::User)) changed.emplace_back("scope");
  if (!p_.lockList.managed() && p_.lockList.changedSinceLoad()) changed.emplace_back("lock list");
  for (std::string& name : p_.switches.changedSinceLoad()) changed.push_back(std::move(name));
  std::string text;
  for (const std::string& name : changed) text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? "nothing changed" : text;
}

}  // namespace tessara
