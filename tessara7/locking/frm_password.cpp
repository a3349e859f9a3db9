#include "tessara7/locking/frm_password.h"

#include <utility>

#include "tessara7/common/text.h"
#include "tessara7/history/history_queue.h"
#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/password_requests.h"
#include "tessara7/locking/password_throttle.h"

namespace tessara {
namespace {

forms::FormStyle promptStyle() {
  forms::FormStyle style;
  style.width = 380;
  style.height = 236;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

constexpr const char* kDefaultPasswordHint =
    "The default password is: OPENBOX. To set a new password click the 'Tessara' folder on the "
    "Start Menu and 'Configure', enter password and select Change Master Password.";

}  // namespace

FrmPassword::FrmPassword(forms::Runtime& runtime, Host& host, Parts parts)
    : Form(runtime, "frmPassword", "Tessara 7", promptStyle()), host_(host), p_(parts) {
  Label1.place({16, 12, 348, 18});
  lblProgram.place({16, 34, 348, 34});
  lblInfo.place({16, 72, 348, 18});
  lblDefaultPass.place({16, 94, 348, 44});
  lblPWD.place({16, 146, 110, 18});
  txtPass.place({128, 143, 150, 23});
  txtPass.setPasswordChar('*');
  cmdok.place({286, 142, 80, 25});
  cmdCancelPWD.place({286, 172, 80, 25});
  chkKeep.place({16, 176, 130, 20});
  chkIgnore.place({150, 176, 130, 20});
  chksubfolders.place({16, 200, 160, 20});
  chksubfolders.setVisible(false);
  lblver.place({286, 206, 80, 18});
  lblver.setColor(0x808080);
  setDefaultButton(cmdok);

  onLoad = [this] { Form_Load(); };
  onActivate = [this] { Form_Activate(); };
  onUnload = [this] { Form_Unload(); };
  // The close box is the Cancel button: closing the prompt must not end a
  // lock (the computer lock above all) without the password.
  onQueryUnload = [this](forms::CloseReason reason) {
    if (reason != forms::CloseReason::User) return;
    cancelClose();
    cmdCancelPWD_Click();
  };
  cmdok.onClick = [this] { cmdok_Click(); };
  cmdCancelPWD.onClick = [this] { cmdCancelPWD_Click(); };
  chkKeep.onClick = [this] { chkKeep_Click(); };
  chksubfolders.onClick = [this] { chksubfolders_Click(); };
  tmrRetry.onTimer = [this] { tmrRetry_Timer(); };
}

void FrmPassword::Form_Load() {
  const auto& v = p_.version;
  lblver.setCaption("v" + std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[3]));
  if (const auto& kept = p_.requests.session().KeptPassword; !kept.empty()) {
    chkKeep.setValue(1);
    txtPass.setText(kept);
  }
  if (p_.masterPassword.isDefault()) lblDefaultPass.setCaption(kDefaultPasswordHint);
  if (const auto wait = p_.throttle.secondsToWait(); wait > 0) holdBack(wait);
}

void FrmPassword::Form_Activate() {
  auto& settings = host_.encryptionSettings();
  settings = encryption::EncryptionSettings::load(p_.registry);
  chksubfolders.setValue(settings.includeSubfolders ? 1 : 0);
  // A kept password is never offered as an encryption password.
  if (p_.requests.pending().PendingAction == Action::ExplorerDecrypt) txtPass.setText("");
}

void FrmPassword::Form_Unload() {
  if (FrmBlank* blank = host_.openBlank(); blank && blank->visible()) blank->unload();
}

bool FrmPassword::isMasterPassword(const std::string& typed) { return p_.masterPassword.check(typed); }

void FrmPassword::cmdok_Click() {
  // The master password is compared in lower case; an encryption password
  // is handed on as typed, for the files were sealed with its capitals.
  const std::string asTyped = txtPass.text();
  txtPass.setText(lowerCase(asTyped));
  const std::string typed = txtPass.text();
  p_.requests.session().KeptPassword = chkKeep.value() == 1 ? typed : "";

  const Action action = p_.requests.pending().PendingAction;
  const ActionRule& rule = ruleOf(action);
  if (rule.check == Check::MasterPassword) {
    // While a wait runs nothing typed is looked at, however it reached OK.
    if (const auto wait = p_.throttle.secondsToWait(); wait > 0) return holdBack(wait);
    if (!isMasterPassword(typed)) {
      // Every wrong one is counted, also where the prompt then closes:
      // otherwise those prompts would be a way to guess without a price.
      const auto wait = p_.throttle.wrong();
      p_.history.record(history::Kind::PasswordWrong, std::string("for ") + std::string(rule.purpose));
      if (wait > 0) p_.history.record(history::Kind::Lockout, "the prompt waits " + std::to_string(wait) + " seconds");
      if (rule.wrong == WrongPassword::Counted) return wrongPassword(wait);
      return closePrompt();
    }
    p_.throttle.right();
    p_.history.record(history::Kind::PasswordRight, std::string("for ") + std::string(rule.purpose));
  }
  accept(action, asTyped);
  if (host_.ended()) return;
  if (!rule.staysOpen) closePrompt();
}

void FrmPassword::accept(Action action, const std::string& asTyped) {
  if (action == Action::Cancel) {
    // Cancel closes the window that was asked for, if any.
    if (const auto window = p_.requests.pending().PendingWindow; window != 0) p_.desktop.postClose(window);
    return;
  }
  if (action == Action::None) return;
  Face face(*this);
  p_.requests.grant({asTyped, face});
}

bool FrmPassword::Face::takeIgnoreTick() {
  if (prompt_.chkIgnore.value() != 1) return false;
  prompt_.chkIgnore.setValue(0);
  return true;
}

void FrmPassword::wrongPassword(std::int64_t wait) {
  p_.requests.session().KeptPassword.clear();
  lblPWD.setCaption("Password, wrong:");
  if (wait > 0) holdBack(wait);
}

void FrmPassword::holdBack(std::int64_t seconds) {
  txtPass.setEnabled(false);
  cmdok.setEnabled(false);
  lblDefaultPass.setCaption("Too many wrong passwords. Try again in " + std::to_string(seconds) + " seconds.");
  tmrRetry.setInterval(static_cast<std::uint32_t>(seconds * 1000));
  tmrRetry.setRunning(true);
}

void FrmPassword::tmrRetry_Timer() {
  tmrRetry.setRunning(false);
  if (const auto wait = p_.throttle.secondsToWait(); wait > 0) return holdBack(wait);
  txtPass.setEnabled(true);
  cmdok.setEnabled(true);
  lblDefaultPass.setCaption(p_.masterPassword.isDefault() ? kDefaultPasswordHint : "");
  setFocus(txtPass);
}

void FrmPassword::closePrompt() {
  hide();
  p_.masterPassword.stopPasswordTimer();
  if (chkKeep.value() != 1) txtPass.setText("");
  p_.requests.withdraw();
  lblPWD.setCaption("Password:");
  setDefaultButton(cmdok);
  unload();
}

void FrmPassword::cmdCancelPWD_Click() {
  auto& pendingAction = p_.requests.pending().PendingAction;
  if (pendingAction == Action::ComputerLock) return;
  hide();
  pendingAction = Action::Cancel;
  cmdok_Click();
}

void FrmPassword::chkKeep_Click() {
  setFocus(txtPass);
  p_.masterPassword.keepPasswordChanged(chkKeep.value() == 1);
}

void FrmPassword::chksubfolders_Click() {
  auto& settings = host_.encryptionSettings();
  settings.includeSubfolders = chksubfolders.value() == 1;
  settings.save(p_.registry);
}

}  // namespace tessara
