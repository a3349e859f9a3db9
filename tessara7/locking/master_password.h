#pragma once
// Setting, checking, keeping and forgetting the master password, and the
// password timer that the prompt's caption announces. The password is stored
// as a salted, slow hash (password_hash.h), never as text another user of
// the computer could read.
#include <cstdint>
#include <future>
#include <string>

#include "forms/form.h"
#include "platform/registry.h"
#include "tessara7/locking/password_hash.h"

namespace tessara {

class RegistryAccess;

class MasterPassword {
 public:
  // What the password's commands need of the program.
  class Host {
   public:
    // The configuration commands' guard: true while locked, having asked.
    virtual bool askConfigPassword() = 0;
    virtual void showNotice(std::string text) = 0;
    // "Clear Password": the prompt's kept password is forgotten.
    virtual void forgetKeptPassword() = 0;

   protected:
    ~Host() = default;
  };
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
  MasterPassword(Host& host, RegistryAccess& registry, Controls controls);

  // A password the administrator set: the boxes to set another are greyed.
  void showManaged(bool managed);

  void cmdpassword_Click();
  void cmdsetpassword_Click();
  void mClearPassword_Click();
  void chkPasswordTimer_Click();
  void tmrPassword_Timer();

  // The stored password of the scope (a hash, or the lower-case text an older
  // version stored); "openbox" when none is set.
  void load(RegistryAccess& registry, platform::Root scopeRoot);
  // The master password as loaded: its salted hash, or the lower-case text an
  // older version stored ("openbox" when none is stored).
  const std::string& stored() const { return stored_; }

  // Whether the typed text (already in lower case) is the master password.
  // One check costs about a tenth of a second. A password that an older
  // version stored as text is replaced by its hash the first time it is given.
  bool check(const std::string& typed);

  // Whether the master password is the default "openbox" (the prompt then
  // says so). Found out once per load: for a stored hash on a second thread
  // while the program goes on, so that a start pays nothing for it.
  bool isDefault();

  // The cost of the hashes this program writes (tests make them cheap).
  std::uint32_t hashIterations = PasswordHash::DefaultIterations;

  // The prompt opens: the password timer starts when its item is ticked;
  // true when it runs.
  bool startPasswordTimer();
  // The prompt closes.
  void stopPasswordTimer();
  // The prompt's "Keep Password" was ticked or unticked.
  void keepPasswordChanged(bool kept);

 private:
  // The stored form of a password known as text: its hash. Fails rather than
  // store something that would read back as another password.
  std::string hashOf(const std::string& password) const;
  void knowDefault(bool isDefault);

  Host& host_;
  RegistryAccess& registry_;
  Controls c_;
  std::string stored_;
  platform::Root loadedFrom_ = platform::Root::Machine;
  bool storedAsText_ = false;  // the store holds the password itself (older versions)
  std::shared_future<bool> isDefault_;
};

}  // namespace tessara
