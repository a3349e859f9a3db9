#include "tessara7/locking/master_password.h"

#include <stdexcept>

#include "tessara7/common/text.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace {
constexpr const char* kDefaultMasterPassword = "openbox";
}

MasterPassword::MasterPassword(Host& host, RegistryAccess& registry, Controls controls)
    : host_(host), registry_(registry), c_(controls) {}

void MasterPassword::cmdpassword_Click() {
  if (host_.askConfigPassword()) return;
  c_.Label10.setVisible(false);
  c_.txtsetpassword.setVisible(true);
  c_.cmdsetpassword.setVisible(true);
  c_.window.setFocus(c_.txtsetpassword);
  c_.window.setDefaultButton(c_.cmdsetpassword);
}

void MasterPassword::cmdsetpassword_Click() {
  if (host_.askConfigPassword()) return;
  const std::string typed = c_.txtsetpassword.text();
  // With an empty text the unchanged password is written again: as its hash
  // when it is known as text (the default, or what an older version stored).
  std::string stored = stored_;
  if (!typed.empty()) {
    const std::string password = lowerCase(typed);
    stored = hashOf(password);
    knowDefault(password == kDefaultMasterPassword);
  } else if (!PasswordHash::isHash(stored)) {
    stored = hashOf(stored);
  }
  stored_ = stored;
  const platform::Root root = c_.OptThisUser.value() ? platform::Root::User : platform::Root::Machine;
  registry_.SaveStringValue(root, keys::Password, "title2", stored);
  if (root == loadedFrom_) storedAsText_ = false;
  if (!typed.empty()) host_.showNotice("Master password set.");
  c_.Label10.setVisible(true);
  c_.txtsetpassword.setVisible(false);
  c_.cmdsetpassword.setVisible(false);
}

void MasterPassword::mClearPassword_Click() {
  host_.forgetKeptPassword();
  c_.mClearPassword.setEnabled(false);
}

void MasterPassword::chkPasswordTimer_Click() { c_.chkPasswordTimer.setChecked(!c_.chkPasswordTimer.checked()); }

void MasterPassword::tmrPassword_Timer() { c_.tmrPassword.setRunning(false); }

void MasterPassword::showManaged(bool managed) {
  c_.cmdsetpassword.setEnabled(!managed);
  c_.txtsetpassword.setEnabled(!managed);
  c_.cmdsetpassword.setToolTip(managed ? "Set by your administrator" : "");
}

void MasterPassword::load(RegistryAccess& registry, platform::Root scopeRoot) {
  const std::string stored = registry.GetStringValue(scopeRoot, keys::Password, "title2");
  // The user can write text into their own store; there only a hash counts,
  // and the machine's password holds in place of any other text.
  if (scopeRoot == platform::Root::User && !stored.empty() && !PasswordHash::isHash(stored))
    return load(registry, platform::Root::Machine);
  loadedFrom_ = scopeRoot;
  if (PasswordHash::isHash(stored)) {
    stored_ = stored;
    storedAsText_ = false;
    isDefault_ = std::async(std::launch::async, [stored] {
                   return PasswordHash::matches(kDefaultMasterPassword, stored);
                 }).share();
    return;
  }
  const std::string password = lowerCase(stored);
  stored_ = password.empty() ? kDefaultMasterPassword : password;
  storedAsText_ = !password.empty();
  knowDefault(stored_ == kDefaultMasterPassword);
}

bool MasterPassword::check(const std::string& typed) {
  if (!PasswordHash::matches(typed, stored_)) return false;
  if (storedAsText_) {
    const std::string hashed = PasswordHash::make(typed, hashIterations);
    if (!hashed.empty()) {
      registry_.SaveStringValue(loadedFrom_, keys::Password, "title2", hashed);
      stored_ = hashed;
      storedAsText_ = false;
    }
  }
  return true;
}

bool MasterPassword::isDefault() {
  try {
    return isDefault_.valid() && isDefault_.get();
  } catch (...) {
    return false;  // the check could not run: no hint
  }
}

void MasterPassword::knowDefault(bool isDefault) {
  std::promise<bool> known;
  known.set_value(isDefault);
  isDefault_ = known.get_future().share();
}

std::string MasterPassword::hashOf(const std::string& password) const {
  std::string hashed = PasswordHash::make(password, hashIterations);
  if (hashed.empty()) throw std::runtime_error("The master password could not be stored.");
  return hashed;
}

bool MasterPassword::startPasswordTimer() {
  if (!c_.chkPasswordTimer.checked()) return false;
  c_.tmrPassword.setRunning(true);
  return true;
}

void MasterPassword::stopPasswordTimer() { c_.tmrPassword.setRunning(false); }

void MasterPassword::keepPasswordChanged(bool kept) { c_.mClearPassword.setEnabled(kept); }

}  // namespace tessara
