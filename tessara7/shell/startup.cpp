#include "tessara7/shell/startup.h"

#include <string>

#include "shared/names.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/shell/settings_loader.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"

namespace tessara {

namespace {
std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
}  // namespace

Startup::Startup(App& app, Parts parts) : app_(app), p_(std::move(parts)) {}

void Startup::Form_Load() {
  auto& state = app_.state();
  state.Loading = true;
  p_.OptThisUser.select();  // only notes the pending action while loading

  state.AppFolder = folderOf(app_.os().shell.programPath()) + "\\";
  p_.lblsfile.setCaption(state.AppFolder);

  p_.OptAllUsers.setEnabled(true);
  p_.chkSub.setEnabled(true);
  for (forms::MenuItem* item : p_.enabledAtLoad) item->setEnabled(true);

  // One copy only: the running copy owns a named mutex of the session. A
  // test on the window title raced between quick starts, and any program
  // could stop this one by opening a window with that title.
  if (!app_.os().shell.claimSingleInstance(names::MainInstanceMutex)) {
    app_.End();
    return;
  }
  // The guard watches the copy that says so, not any process of this file
  // (which a user could start suspended, to be watched in place of this one).
  app_.os().guard.tell(guard_channel::Request::Running);
  app_.history().record(history::Kind::Started, app_.os().shell.programPath());

  p_.loader.GetConfig();
  p_.window.setCaption(names::MainTitle);
  const auto& version = app_.version();
  state.AppVersion = std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
                     std::to_string(version[3]);
  app_.addTrayIcon();
  p_.SSTab1.setTab(p_.welcomePage);
  updateStatus();
}

void Startup::Form_Activate() {
  p_.window.setCaption(names::MainTitle);
  auto& state = app_.state();
  state.Encryption = encryption::EncryptionSettings::load(app_.registry());
  p_.chkSub.setValue(state.Encryption.includeSubfolders ? 1 : 0);
  bool onHiddenPage = false;
  for (const int page : p_.hiddenPages) {
    p_.SSTab1.setTabEnabled(page, false);
    onHiddenPage = onHiddenPage || p_.SSTab1.tab() == page;
  }
  if (onHiddenPage) p_.SSTab1.setTab(p_.welcomePage);
}

void Startup::Form_QueryUnload(forms::CloseReason reason) {
  if (reason == forms::CloseReason::WindowsSession) {
    app_.os().guard.tell(guard_channel::Request::SessionEnds);
    return;
  }
  // Give up the title (the launcher looks for it) and the single instance
  // first, so that the new copy does not find this closing one and end.
  p_.window.setCaption("");
  app_.os().shell.releaseSingleInstance();
  app_.os().shell.startProgram(app_.state().AppFolder + names::MainProgram, platform::SwShowMinimized, {});
}

void Startup::Form_Terminate() {
  app_.deleteTrayIcon();
  app_.End();
}

void Startup::OptAllUsers_Click() { scopeOption_Click(false); }

void Startup::OptThisUser_Click() { scopeOption_Click(true); }

void Startup::scopeOption_Click(bool thisUser) {
  if (app_.askConfigPassword() || app_.state().Loading) return;
  app_.userScope().choose(thisUser);
  if (!thisUser) p_.OptAllUsers.select();
  p_.loader.GetConfig();
}

void Startup::mExit_Click() {
  // Any program can post the menu's command: only the owner ends Tessara.
  if (app_.passwordRequests().session().ConfigUnlocked) return app_.exitForGood();
  App& app = app_;
  app_.requestPassword({.action = Action::Exit, .title = "Exit Tessara", .granted = [&app](const PasswordGiven&) {
                          app.exitForGood();
                        }});
}

void Startup::cmdCancel_Click() {
  app_.passwordRequests().session().ConfigUnlocked = false;
  if (onCancelling) onCancelling();
  p_.window.hide();
}

void Startup::mAbout_Click() {
  app_.showNotice("Tessara 7, version " + app_.state().AppVersion +
                  ".\rLocks programs, windows and web pages behind one master password.");
}

void Startup::updateStatus() {
  p_.lblStatus.setCaption("Locked programs and windows: " + std::to_string(p_.lockList.lockedCount()) + " of " +
                          std::to_string(p_.lockList.count()) + "\nSettings apply to: " +
                          (app_.state().SettingsRoot == platform::Root::User ? "This user" : "All users"));
}

}  // namespace tessara
