#include "tessara7/locking/master_password.h"

#include "tessara7/common/text.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"

namespace tessara {
namespace {
constexpr const char* kDefaultMasterPassword = "openbox";
}

MasterPassword::MasterPassword(App& app, Controls controls) : app_(app), c_(controls) {}

void MasterPassword::cmdpassword_Click() {
  if (app_.askConfigPassword()) return;
  c_.Label10.setVisible(false);
  c_.txtsetpassword.setVisible(true);
  c_.cmdsetpassword.setVisible(true);
  c_.window.setFocus(c_.txtsetpassword);
  c_.window.setDefaultButton(c_.cmdsetpassword);
}

void MasterPassword::cmdsetpassword_Click() {
  if (app_.askConfigPassword()) return;
  auto& state = app_.state();
  const std::string typed = c_.txtsetpassword.text();
  if (!typed.empty()) state.MasterPassword = lowerCase(typed);
  const platform::Root root = c_.OptThisUser.value() ? platform::Root::User : platform::Root::Machine;
  app_.registry().SaveStringValue(root, keys::Password, "title2", state.MasterPassword);
  if (!typed.empty()) app_.showNotice("Master password set.");
  c_.Label10.setVisible(true);
  c_.txtsetpassword.setVisible(false);
  c_.cmdsetpassword.setVisible(false);
}

void MasterPassword::mClearPassword_Click() {
  app_.state().KeptPassword.clear();
  c_.mClearPassword.setEnabled(false);
}

void MasterPassword::chkPasswordTimer_Click() { c_.chkPasswordTimer.setChecked(!c_.chkPasswordTimer.checked()); }

void MasterPassword::tmrPassword_Timer() { c_.tmrPassword.setRunning(false); }

void MasterPassword::load(RegistryAccess& registry, platform::Root scopeRoot) {
  const std::string password = lowerCase(registry.GetStringValue(scopeRoot, keys::Password, "title2"));
  app_.state().MasterPassword = password.empty() ? kDefaultMasterPassword : password;
}

bool MasterPassword::startPasswordTimer() {
  if (!c_.chkPasswordTimer.checked()) return false;
  c_.tmrPassword.setRunning(true);
  return true;
}

void MasterPassword::stopPasswordTimer() { c_.tmrPassword.setRunning(false); }

void MasterPassword::keepPasswordChanged(bool kept) { c_.mClearPassword.setEnabled(kept); }

}  // namespace tessara
