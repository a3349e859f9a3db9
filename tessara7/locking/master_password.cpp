// Setting, keeping and forgetting the master password.
#include "tessara7/common/text.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {

void FrmConfig::connectMasterPassword() {
  cmdpassword.onClick = [this] { cmdpassword_Click(); };
  cmdsetpassword.onClick = [this] { cmdsetpassword_Click(); };
  mClearPassword.onClick = [this] {
    app_.state().KeptPassword.clear();
    mClearPassword.setEnabled(false);
  };
  chkPasswordTimer.onClick = [this] { chkPasswordTimer.setChecked(!chkPasswordTimer.checked()); };
  tmrPassword.onTimer = [this] { tmrPassword.setRunning(false); };
}

void FrmConfig::cmdpassword_Click() {
  if (askConfigPassword()) return;
  Label10.setVisible(false);
  txtsetpassword.setVisible(true);
  cmdsetpassword.setVisible(true);
  setFocus(txtsetpassword);
  setDefaultButton(cmdsetpassword);
}

void FrmConfig::cmdsetpassword_Click() {
  if (askConfigPassword()) return;
  auto& state = app_.state();
  const std::string typed = txtsetpassword.text();
  if (!typed.empty()) state.MasterPassword = lowerCase(typed);
  const platform::Root root = OptThisUser.value() ? platform::Root::User : platform::Root::Machine;
  app_.registry().SaveStringValue(root, keys::Password, "title2", state.MasterPassword);
  if (!typed.empty()) app_.showNotice("Master password set.");
  Label10.setVisible(true);
  txtsetpassword.setVisible(false);
  cmdsetpassword.setVisible(false);
}

}  // namespace tessara
