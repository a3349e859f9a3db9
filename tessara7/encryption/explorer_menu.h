#pragma once
// Explorer's Encrypt and Decrypt on the program's side: the settings load
// creates the menu object when the option is stored on, and a click that the
// DLL sends to the window becomes ContextMenu_Click: the first path goes into
// the path box and every path becomes one command of the one-second runner,
// at once or once the password prompt was answered.
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "tessara7/encryption/command_runner.h"
#include "tessara7/encryption/context_menu.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class ExplorerMenu {
 public:
  // What a click needs of the program.
  class Host {
   public:
    // "Ask for the master password" (mEnPwd) is ticked.
    virtual bool explorerMenuNeedsPassword() const = 0;
    // One of the program's dialogs is open: no prompt comes over it.
    virtual bool dialogOpen() const = 0;
    virtual void requestPassword(PasswordRequest request) = 0;
    // The prompt offers "Include Sub Folders" for the click's folders.
    virtual void offerSubfolderOption() = 0;

   protected:
    ~Host() = default;
  };
  struct Parts {
    forms::Form& window;
    forms::TextBox& txtPath;
    CommandRunner& runner;
    ContextMenu::Environment environment;
  };
  ExplorerMenu(Host& host, Parts parts);

  // The load's step for "chkContextMenu": with the option on, a new object
  // with "-", "Encrypt" and "Decrypt", switched on. With it off, nothing: an
  // object made by an earlier load stays, and its entries with it.
  void load(bool optionOn);
  // The bytes of a click message from the DLL; anything malformed is dropped.
  void received(std::span<const std::byte> message);
  // The clicked entry's caption and the selected paths (at least one).
  void ContextMenu_Click(const std::string& caption, const std::vector<std::string>& targets);

  ContextMenu* contextMenu() { return ContextMenu_.get(); }

  // The prompt before a click's commands: the master password for Encrypt,
  // the files' own password (taken as typed) for Decrypt.
  PasswordRequest passwordRequest(encryption::ExplorerRequest click);

 private:
  Host& host_;
  Parts p_;
  std::unique_ptr<ContextMenu> ContextMenu_;
};

}  // namespace tessara
