#pragma once
// The password prompt: one modeless window through which every guarded
// operation asks for the master password. The pending action's rule
// (password_action.h) says how the typed text is checked; what the right
// password does came with the request (password_request.h), so the prompt
// knows no operation but its own Cancel.
#include <array>
#include <cstdint>
#include <string>

#include "forms/form.h"
#include "platform/desktop.h"
#include "tessara7/encryption/encryption_settings.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class FrmBlank;
class HistoryQueue;
class MasterPassword;
class PasswordRequests;
class PasswordThrottle;
class RegistryAccess;

class FrmPassword : public forms::Form {
 public:
  // What the prompt needs of the program around it.
  class Host {
   public:
    virtual ~Host() = default;
    // The computer lock's blank screen, which goes with its prompt; nullptr when not loaded.
    virtual FrmBlank* openBlank() = 0;
    // The operation that was granted ended the program.
    virtual bool ended() const = 0;
    // The choice of sub-folders that "Include Sub Folders" shows and changes.
    virtual encryption::EncryptionSettings& encryptionSettings() = 0;
  };
  struct Parts {
    const std::array<std::uint16_t, 4>& version;  // shown in its corner
    MasterPassword& masterPassword;
    PasswordThrottle& throttle;
    HistoryQueue& history;
    PasswordRequests& requests;  // what is pending, and what the password grants
    platform::Desktop& desktop;  // Cancel closes the guarded window
    RegistryAccess& registry;    // where the sub-folder choice is kept
  };
  FrmPassword(forms::Runtime& runtime, Host& host, Parts parts);

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
  void accept(Action action, const std::string& asTyped);
  void wrongPassword(std::int64_t wait);
  // Nothing typed is looked at for this many seconds.
  void holdBack(std::int64_t seconds);
  void closePrompt();
  bool isMasterPassword(const std::string& typed);

  // The prompt as a granted operation sees it.
  class Face final : public PromptFace {
   public:
    explicit Face(FrmPassword& prompt) : prompt_(prompt) {}
    void hide() override { prompt_.hide(); }
    platform::WindowHandle owner() const override { return prompt_.handle(); }
    void say(const std::string& text) override { prompt_.lblDefaultPass.setCaption(text); }
    bool takeIgnoreTick() override;

   private:
    FrmPassword& prompt_;
  };

  Host& host_;
  Parts p_;
};

}  // namespace tessara
