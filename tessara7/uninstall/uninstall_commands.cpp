#include "tessara7/uninstall/uninstall_commands.h"

#include "shared/names.h"
#include "tessara7/encryption/file_protector.h"

namespace tessara {
namespace {
constexpr const char* kArmedCaption = "> Uninstall <";
constexpr const char* kPromptTitle = "Uninstall Tessara";
}  // namespace

UninstallCommands::UninstallCommands(Host& host, Controls controls, Parts parts)
    : host_(host), c_(controls), p_(parts) {}

void UninstallCommands::passwordGiven() { c_.cmdUninstall.setCaption(kArmedCaption); }

// The prompt names what it guards, for the label and the menu alike.
PasswordRequest UninstallCommands::request() {
  return {.action = Action::Uninstall, .title = kPromptTitle, .granted = [this](const PasswordGiven& given) {
            passwordGiven();
            given.prompt.hide();
            host_.setDialogOpen(true);
            p_.os.shell.messageBox(given.prompt.owner(),
                               "Click Uninstall again to proceed. Or, run 'unins000.exe' from the "
                               "program directory.",
                               "Tessara 7", platform::MbOk);
            host_.setDialogOpen(false);
          }};
}

bool UninstallCommands::armed() const { return c_.cmdUninstall.caption() == kArmedCaption; }

void UninstallCommands::cmdUninstall_Click() {
  if (!armed()) {
    host_.requestPassword(request());
    return;
  }
  // The protector stays off until the program ends, so that it cannot take
  // the file back from the uninstaller.
  c_.tmrFileProtector.setRunning(false);
  p_.protector.giveBack();
  handedOver_ = true;
  const std::string& folder = p_.appFolder;
  // Never start the uninstaller without its data file: it would only refuse.
  if (!p_.os.files.attributes(folder + names::UninstallerData)) {
    host_.showNotice(std::string("Tessara cannot be uninstalled from here: the uninstaller's data file '") +
                    names::UninstallerData + "' is not in " + folder + ".");
    return;
  }
  const auto started = p_.os.shell.startProgram(folder + names::Uninstaller, platform::SwShowNormal, folder);
  if (!started.started) host_.showNotice(started.error);
}

void UninstallCommands::mUninstall_Click() {
  c_.window.hide();
  if (host_.dialogOpen()) {
    // No prompt over one of the program's own dialogs; the action waits.
    host_.leavePasswordPending(request());
  } else {
    host_.requestPassword(request());
  }
  host_.deleteTrayIcon();
}

bool UninstallCommands::endForUninstaller() {
  if (!handedOver_) return false;
  // Whoever asks must hold the data file: opening it alone must fail.
  auto& files = p_.os.files;
  if (files.openExclusive(p_.appFolder + names::UninstallerData)) return false;
  if (files.lastFailure().error != platform::FileError::InUse) return false;
  return true;
}

}  // namespace tessara
