#include "tessara7/locking/computer_lock.h"

#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/common/helpers.h"
#include "tessara7/history/history_queue.h"

namespace tessara {

ComputerLock::ComputerLock(Host& host, Parts parts) : host_(host), p_(parts) {}

void ComputerLock::mLockWorkstation_Click() {
  p_.history.record(history::Kind::ComputerLocked, "");
  FrmBlank& blank = host_.frmBlank();
  blank.show();
  SetTopmost(blank, true);
  // The prompt's load fills in a kept password, which is not offered here.
  FrmPassword& prompt = host_.frmPassword();
  prompt.load();
  prompt.txtPass.setText("");
  Host& host = host_;
  HistoryQueue& history = p_.history;
  host_.requestPassword({.action = Action::ComputerLock,
                         .title = "System Lock",
                         .granted = [&host, &history](const PasswordGiven&) {
                           if (FrmBlank* blank = host.openBlank()) blank->unload();
                           history.record(history::Kind::ComputerUnlocked, "");
                         }});
  p_.desktop.sendKeyPress(0x28);  // VK_DOWN
  p_.guard.watchClosely();
}

bool ComputerLock::holds() const {
  const FrmBlank* blank = host_.openBlank();
  return blank != nullptr && blank->visible();
}

bool ComputerLock::keepInPlace() {
  if (!holds() || host_.dialogOpen()) return false;
  FrmPassword* prompt = host_.openPassword();
  if (prompt == nullptr || !prompt->visible() || prompt->handle() == 0) return false;
  auto& desktop = p_.desktop;
  const std::uint32_t style = desktop.windowStyle(prompt->handle());
  const bool inPlace = (style & platform::StyleVisible) != 0 && (style & platform::StyleMinimized) == 0 &&
                       desktop.foregroundWindow() == prompt->handle();
  if (inPlace) return false;
  prompt->raise();
  return true;
}

}  // namespace tessara
