#pragma once
// Setting, keeping and forgetting the master password, and the password
// timer that the prompt's caption announces.
#include "forms/form.h"
#include "platform/registry.h"

namespace tessara {

class App;
class RegistryAccess;

class MasterPassword {
 public:
  struct Controls {
    forms::Form& window;
    forms::Button& cmdsetpassword;
    forms::TextBox& txtsetpassword;
    forms::Label& Label10;
    const forms::OptionButton& OptThisUser;  // where a new password is written
    forms::MenuItem& mClearPassword;
    forms::MenuItem& chkPasswordTimer;
    forms::Timer& tmrPassword;
  };
  MasterPassword(App& app, Controls controls);

  void cmdpassword_Click();
  void cmdsetpassword_Click();
  void mClearPassword_Click();
  void chkPasswordTimer_Click();
  void tmrPassword_Timer();

  // The stored password of the scope, lower case; "openbox" when none is set.
  void load(RegistryAccess& registry, platform::Root scopeRoot);

  // The prompt opens: the password timer starts when its item is ticked;
  // true when it runs.
  bool startPasswordTimer();
  // The prompt closes.
  void stopPasswordTimer();
  // The prompt's "Keep Password" was ticked or unticked.
  void keepPasswordChanged(bool kept);

 private:
  App& app_;
  Controls c_;
};

}  // namespace tessara
