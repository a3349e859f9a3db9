#include "tessara7/uninstall/uninstall_commands.h"

#include "shared/names.h"
#include "tessara7/encryption/file_protector.h"
#include "tessara7/locking/password_requests.h"
#include "tessara7/shell/app.h"

namespace tessara {
namespace {
constexpr const char* kArmedCaption = "> Uninstall <";
constexpr const char* kPromptTitle = "Uninstall Tessara";
}  // namespace

UninstallCommands::UninstallCommands(App& app, Controls controls, FileProtector& protector)
    : app_(app), c_(controls), protector_(protector) {}

void UninstallCommands::passwordGiven() { c_.cmdUninstall.setCaption(kArmedCaption); }

// The prompt names what it guards, for the label and the menu alike.
PasswordRequest UninstallCommands::request() {
  return {.action = Action::Uninstall, .title = kPromptTitle, .granted = [this](const PasswordGiven& given) {
            passwordGiven();
            given.prompt.hide();
            auto& state = app_.state();
            state.DialogOpen = true;
            app_.os().shell.messageBox(given.prompt.owner(),
                                       "Click Uninstall again to proceed. Or, run 'unins000.exe' from the "
                                       "program directory.",
                                       "Tessara 7", platform::MbOk);
            state.DialogOpen = false;
          }};
}

bool UninstallCommands::armed() const { return c_.cmdUninstall.caption() == kArmedCaption; }

void UninstallCommands::cmdUninstall_Click() {
  if (!armed()) {
    app_.requestPassword(request());
    return;
  }
  // The protector stays off until the program ends, so that it cannot take
  // the file back from the uninstaller.
  c_.tmrFileProtector.setRunning(false);
  protector_.giveBack();
  handedOver_ = true;
  const std::string& folder = app_.state().AppFolder;
  // Never start the uninstaller without its data file: it would only refuse.
  if (!app_.os().files.attributes(folder + names::UninstallerData)) {
    app_.showNotice(std::string("Tessara cannot be uninstalled from here: the uninstaller's data file '") +
                    names::UninstallerData + "' is not in " + folder + ".");
    return;
  }
  const auto started = app_.os().shell.startProgram(folder + names::Uninstaller, platform::SwShowNormal, folder);
  if (!started.started) app_.showNotice(started.error);
}

void UninstallCommands::mUninstall_Click() {
  c_.window.hide();
  auto& state = app_.state();
  if (state.DialogOpen) {
    // No prompt over one of the program's own dialogs; the action waits.
    app_.passwordRequests().leavePending(request());
  } else {
    app_.requestPassword(request());
  }
  app_.deleteTrayIcon();
}

bool UninstallCommands::endForUninstaller() {
  if (!handedOver_) return false;
  // Whoever asks must hold the data file: opening it alone must fail.
  auto& files = app_.os().files;
  if (files.openExclusive(app_.state().AppFolder + names::UninstallerData)) return false;
  if (files.lastFailure().error != platform::FileError::InUse) return false;
  return true;
}

}  // namespace tessara
