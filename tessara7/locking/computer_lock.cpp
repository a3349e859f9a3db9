#include "tessara7/locking/computer_lock.h"

#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/shell/app.h"
#include "tessara7/common/helpers.h"

namespace tessara {

ComputerLock::ComputerLock(App& app) : app_(app) {}

void ComputerLock::mLockWorkstation_Click() {
  app_.history().record(history::Kind::ComputerLocked, "");
  FrmBlank& blank = app_.frmBlank();
  blank.show();
  SetTopmost(blank, true);
  // The prompt's load fills in a kept password, which is not offered here.
  FrmPassword& prompt = app_.frmPassword();
  prompt.load();
  prompt.txtPass.setText("");
  App& app = app_;
  app_.requestPassword({.action = Action::ComputerLock, .title = "System Lock", .granted = [&app](const PasswordGiven&) {
                          if (FrmBlank* blank = app.openBlank()) blank->unload();
                          app.history().record(history::Kind::ComputerUnlocked, "");
                        }});
  app_.os().desktop.sendKeyPress(0x28);  // VK_DOWN
  app_.lockGuard().watchClosely();
}

bool ComputerLock::holds() const {
  const FrmBlank* blank = app_.openBlank();
  return blank != nullptr && blank->visible();
}

bool ComputerLock::keepInPlace() {
  if (!holds() || app_.state().DialogOpen) return false;
  FrmPassword* prompt = app_.openPassword();
  if (prompt == nullptr || !prompt->visible() || prompt->handle() == 0) return false;
  auto& desktop = app_.os().desktop;
  const std::uint32_t style = desktop.windowStyle(prompt->handle());
  const bool inPlace = (style & platform::StyleVisible) != 0 && (style & platform::StyleMinimized) == 0 &&
                       desktop.foregroundWindow() == prompt->handle();
  if (inPlace) return false;
  prompt->raise();
  return true;
}

}  // namespace tessara
