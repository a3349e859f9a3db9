// "Lock Computer": a blank screen until the master password is given.
#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/helpers.h"

namespace tessara {

void FrmConfig::mLockWorkstation_Click() {
  auto& state = app_.state();
  FrmBlank& blank = app_.frmBlank();
  blank.show();
  SetTopmost(blank, true);
  state.PendingAction = "blk";
  state.PendingTitle = "System Lock";
  state.PendingWindow = 0;
  FrmPassword& prompt = app_.frmPassword();
  prompt.load();  // its load fills in a kept password, which is not offered here
  prompt.txtPass.setText("");
  if (!state.DialogOpen) ShowPWD();
  app_.os().desktop.sendKeyPress(0x28);  // VK_DOWN
}

}  // namespace tessara
