#pragma once
// The Encryption page of the configuration window: the path, Browse and
// Open, "Include Sub Folders", Encrypt and Decrypt, the encryption password
// (Set, Reset, Display), the explanation, re-encrypting when the window is
// closed, and the Welcome page's shortcut to the page.
#include <optional>
#include <string>

#include "forms/form.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "tessara7/encryption/command_runner.h"
#include "tessara7/encryption/encryption_settings.h"

namespace tessara {

class EncryptionRun;
class RegistryAccess;

class EncryptionPage : public CommandRunner::Target {
 public:
  // What the page needs of the program around it.
  class Host {
   public:
    virtual void showNotice(std::string text) = 0;
    // Shows the notice and waits: "ok", "cancel", or "" for its close box.
    virtual std::string askNotice(std::string text) = 0;
    // The configuration commands' guard: true while the configuration is
    // locked, having asked for the password.
    virtual bool askConfigPassword() = 0;
    // One of the program's own dialogs opens or closes: no prompt over it.
    virtual void setDialogOpen(bool open) = 0;

   protected:
    ~Host() = default;
  };
  // The program's values the page reads and sets.
  struct Shared {
    platform::Shell& shell;
    RegistryAccess& registry;
    const platform::Root& settingsRoot;  // where the last path is kept
    encryption::EncryptionSettings& settings;
  };
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
  EncryptionPage(Host& host, Parts parts, Shared shared);

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

  Host& host_;
  Parts p_;
  Shared s_;
};

}  // namespace tessara
