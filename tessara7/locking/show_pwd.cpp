// Raising the password prompt for the pending action.
#include "tessara7/locking/frm_password.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/helpers.h"

namespace tessara {

void FrmConfig::ShowPWD() {
  FrmPassword& prompt = app_.frmPassword();
  auto attempt = [&](auto step) { prompt.fire(step); };  // each step is tried on its own
  attempt([&] { prompt.show(); });
  attempt([&] {
    if (chkPasswordTimer.checked()) {
      tmrPassword.setRunning(true);
      prompt.setCaption("Restrictions - [30 Seconds Remaining]");
    } else {
      prompt.setCaption("Restrictions");
    }
  });
  attempt([&] { prompt.lblProgram.setCaption(app_.state().PendingTitle); });
  attempt([&] { SetTopmost(prompt, true); });
  attempt([&] {
    prompt.setFocus(prompt.txtPass);
    prompt.setDefaultButton(prompt.cmdok);
  });
}

}  // namespace tessara
