#pragma once
// The Encryption page of the configuration window: the path, Browse and
// Open, "Include Sub Folders", Encrypt and Decrypt, the encryption password
// (Set, Reset, Display), the explanation, re-encrypting when the window is
// closed, and the Welcome page's shortcut to the page.
#include <optional>
#include <string>

#include "forms/form.h"
#include "tessara7/encryption/command_runner.h"

namespace tessara {

class App;
class EncryptionRun;

class EncryptionPage : public CommandRunner::Target {
 public:
  struct Parts {
    forms::Form& window;
    forms::TabControl& SSTab1;
    int encryptionPage;
    forms::Frame& fraEn;
    forms::TextBox& txtPath;
    forms::CheckBox& chkSub;
    forms::TextBox& txtEnPwd;
    forms::Button& cmdenpwd;
    forms::CheckBox& chkReEncrypt;
    EncryptionRun& run;
    CommandRunner& runner;
  };
  EncryptionPage(App& app, Parts parts);

  void cmdEncrypt_Click();
  void cmddecrypt_Click();
  void cmdBrowse_Click();
  void cmdfolder_Click();
  void chkSub_Click();
  void cmdenpwd_Click();
  void lblDisplayEnPwd_Click();
  void cmdHelper1_Click();
  void cmdlockfile_Click();
  // The Cancel button's encryption side: with "Re-encrypt files when I click
  // Close" ticked, encrypts the path again (or as soon as a running run ends).
  void reEncryptOnClose();

  // A decryption whose command brought its password (see EncryptionRun).
  void decryptWith(std::optional<std::string> password);

  // The command runner's target.
  void stopIfAsked() override;
  bool running() const override;
  void run(CommandRunner::Command command) override;

 private:
  void start(const char* mode);

  App& app_;
  Parts p_;
};

}  // namespace tessara
