#pragma once
// The password prompt: one modeless window through which every guarded
// operation asks for the master password. What the right password does
// depends on the pending action the caller left (password_action.h); the
// prompt talks to the subsystems that own what it releases, never to the
// configuration window's controls.
#include <cstdint>
#include <string>

#include "forms/form.h"
#include "tessara7/locking/password_action.h"

namespace tessara {

class App;

class FrmPassword : public forms::Form {
 public:
  explicit FrmPassword(App& app);

  forms::Label Label1{*this, "Label1", "Access is Denied."};
  forms::Label lblProgram{*this, "lblProgram", "Option Restricted."};
  forms::Label lblInfo{*this, "lblInfo", "A password is required."};
  forms::Label lblDefaultPass{*this, "lblDefaultPass"};
  forms::Label lblPWD{*this, "lblPWD", "Password:"};
  forms::TextBox txtPass{*this, "txtPass"};
  forms::Button cmdok{*this, "cmdok", "OK"};
  forms::Button cmdCancelPWD{*this, "cmdCancelPWD", "Cancel"};
  forms::CheckBox chkKeep{*this, "chkKeep", "Keep Password"};
  forms::CheckBox chkIgnore{*this, "chkIgnore", "Ignore in future"};
  forms::CheckBox chksubfolders{*this, "chksubfolders", "Include Sub Folders"};
  forms::Label lblver{*this, "lblver"};
  // Gives the password box back when the wait that wrong passwords cost is over.
  forms::Timer tmrRetry{*this, "tmrRetry", 30000, false};

  void cmdok_Click();
  void cmdCancelPWD_Click();

 private:
  void Form_Load();
  void Form_Activate();
  void Form_Unload();
  void chkKeep_Click();
  void chksubfolders_Click();
  void tmrRetry_Timer();

  // What the right password (or, for actions that compare nothing, any text) does.
  void accept(Action action, const std::string& typed);
  void releaseWindow();
  void wrongPassword(std::int64_t wait);
  // Nothing typed is looked at for this many seconds.
  void holdBack(std::int64_t seconds);
  void closePrompt();
  bool isMasterPassword(const std::string& typed);

  App& app_;
};

}  // namespace tessara
