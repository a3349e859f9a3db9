#include "tessara7/encryption/encryption_page.h"

#include "tessara7/encryption/command_runner.h"
#include "tessara7/encryption/encryption_run.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {
namespace {

std::size_t characterCount(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

EncryptionPage::EncryptionPage(Host& host, Parts parts, Shared shared) : host_(host), p_(parts), s_(shared) {}

void EncryptionPage::start(const char* mode) {
  p_.fraEn.setEnabled(false);
  p_.run.CryptMode = mode;
  p_.run.Enc();
  p_.fraEn.setEnabled(true);
}

void EncryptionPage::cmdEncrypt_Click() { start("en"); }

void EncryptionPage::cmddecrypt_Click() { start("de"); }

void EncryptionPage::decryptWith(std::optional<std::string> password) {
  p_.run.commandPassword = std::move(password);
  cmddecrypt_Click();
}

void EncryptionPage::stopIfAsked() { p_.run.stopIfAsked(); }

bool EncryptionPage::running() const { return p_.run.running(); }

void EncryptionPage::run(CommandRunner::Command command) {
  p_.txtPath.setText(command.path);
  if (command.verb == encryption::Verb::Encrypt) cmdEncrypt_Click();
  else decryptWith(std::move(command.password));
}

void EncryptionPage::cmdBrowse_Click() {
  // Timers go on under the dialog; nothing else of ours may open meanwhile.
  host_.setDialogOpen(true);
  std::string chosen;
  try {
    chosen = s_.shell.browseForFileOrFolder(p_.window.handle(), "Select a file or folder");
  } catch (...) {
    host_.setDialogOpen(false);
    throw;
  }
  host_.setDialogOpen(false);
  p_.txtPath.setText(chosen);
  s_.registry.SaveStringValue(s_.settingsRoot, keys::Settings, "LastPath", p_.txtPath.text());
}

void EncryptionPage::cmdfolder_Click() {
  if (p_.txtPath.text().empty()) return;
  s_.shell.shellExecute(p_.window.handle(), "Open", p_.txtPath.text(), platform::SwShowNormal);
}

void EncryptionPage::chkSub_Click() {
  s_.settings.includeSubfolders = p_.chkSub.value() == 1;
  s_.settings.save(s_.registry);
}

void EncryptionPage::cmdenpwd_Click() {
  if (p_.cmdenpwd.caption() == "Set") {
    const std::string password = p_.txtEnPwd.text();
    if (characterCount(password) < 3) {
      host_.showNotice("Password must be greater than 2 characters!");
      return;
    }
    s_.registry.SaveStringValue(platform::Root::Machine, keys::Password, "PWD2", password);
    p_.txtEnPwd.setEnabled(false);
    p_.cmdenpwd.setCaption("Reset");
    return;
  }
  const std::string answer = host_.askNotice(
      "WARNING: Changing the encryption password will apply to newly encrypted files only.\r\r"
      "Any existing files CANNOT be decrypted with the new password.\r"
      "This is because the password is stored in each file.\r\r"
      "When decrypting older files, use the old password and not the new one.\r\r"
      "Click OK to set a new password.");
  if (answer == "ok") {
    p_.cmdenpwd.setCaption("Set");
    p_.txtEnPwd.setEnabled(true);
  }
}

void EncryptionPage::lblDisplayEnPwd_Click() { host_.showNotice(p_.txtEnPwd.text()); }

void EncryptionPage::cmdHelper1_Click() {
  host_.showNotice(
      "Encryption secures your files by scambling their contents with a special password (known as the "
      "encryption key).\n"
      "Because the files are scambled, they can be moved from one computer to another and still remain secured.\n"
      "Only when the user decrypts the files (using the software used to encrypt them), can their contents be "
      "accessed.\n"
      "The user will have specified the password (or key) on the destination to authorize the decryption of the "
      "files.");
}

void EncryptionPage::cmdlockfile_Click() {
  if (host_.askConfigPassword()) return;
  p_.SSTab1.setTab(p_.encryptionPage);
}

void EncryptionPage::reEncryptOnClose() {
  if (p_.chkReEncrypt.value() != 1) return;
  // A decrypted single file "x.doc.ts7" is named "x.doc" again.
  if (p_.txtPath.text().find('.') != std::string::npos) {
    const std::string& path = p_.txtPath.text();
    p_.txtPath.setText(path.substr(0, path.size() >= 4 ? path.size() - 4 : 0));
  }
  if (p_.run.running()) {
    p_.runner.queue({encryption::Verb::Encrypt, p_.txtPath.text(), std::nullopt});
    return;
  }
  cmdEncrypt_Click();
}

}  // namespace tessara
