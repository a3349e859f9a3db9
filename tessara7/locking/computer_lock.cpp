#include "tessara7/locking/computer_lock.h"

#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/helpers.h"

namespace tessara {

ComputerLock::ComputerLock(App& app) : app_(app) {}

void ComputerLock::mLockWorkstation_Click() {
  FrmBlank& blank = app_.frmBlank();
  blank.show();
  SetTopmost(blank, true);
  // The prompt's load fills in a kept password, which is not offered here.
  FrmPassword& prompt = app_.frmPassword();
  prompt.load();
  prompt.txtPass.setText("");
  app_.requestPassword(Action::ComputerLock, "System Lock");
  app_.os().desktop.sendKeyPress(0x28);  // VK_DOWN
}

}  // namespace tessara
