// Start-up, activation, the scope options and the window's life cycle.
#include <string>

#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/locking/frm_password.h"

namespace tessara {

namespace {
constexpr const char* kMainTitle = "Tessara 7";

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
}  // namespace

void FrmConfig::connectHandlers() {
  onLoad = [this] { Form_Load(); };
  onActivate = [this] { Form_Activate(); };
  onQueryUnload = [this](forms::CloseReason reason) { Form_QueryUnload(reason); };
  onTerminate = [this] { Form_Terminate(); };
  OptAllUsers.onClick = [this] { OptAllUsers_Click(); };
  OptThisUser.onClick = [this] { OptThisUser_Click(); };
  mconfig.onClick = [this] { mconfig_Click(); };
  mCancel.onClick = [] {};  // only closes the menu
  mExit.onClick = [this] { mExit_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  mAbout.onClick = [this] { mAbout_Click(); };
  connectLockList();
  connectMasterPassword();
  connectTray();
  connectWatcher();
  connectAdvancedWatcher();
  connectApply();
  connectProtections();
}

void FrmConfig::Form_Load() {
  auto& state = app_.state();
  state.Loading = true;
  OptThisUser.select();  // only notes the pending action while loading

  state.AppFolder = folderOf(app_.os().shell.programPath()) + "\\";
  lblsfile.setCaption(state.AppFolder);

  OptAllUsers.setEnabled(true);
  chkSub.setEnabled(true);
  for (forms::MenuItem* item : {&chkLockFF, &chkLockInstall, &chkRDesktop, &chkRun, &chkNoPrograms,
                                &chkDesktop})
    item->setEnabled(true);

  // One copy only. This window is still titled "[TSR]", so it never finds itself.
  ExistingWindow = app_.os().desktop.findWindow(std::nullopt, kMainTitle);
  if (ExistingWindow != 0) {
    app_.End();
    return;
  }

  GetConfig();
  setCaption(kMainTitle);
  const auto& version = app_.version();
  state.AppVersion = std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
                     std::to_string(version[3]);
  app_.addTrayIcon();
  SSTab1.setTab(PageWelcome);
  updateStatus();
}

void FrmConfig::Form_Activate() {
  setCaption(kMainTitle);
  auto& state = app_.state();
  try {
    state.IncludeSubfolders =
        app_.registry().GetStringValue(platform::Root::User, keys::Settings, "subfolders");
    chkSub.setValue(state.IncludeSubfolders == "1" ? 1 : 0);
  } catch (...) {
    // chkSub stays as it was.
  }
  SSTab1.setTabEnabled(PageAdvanced, false);
  SSTab1.setTabEnabled(PageDebug, false);
  if (SSTab1.tab() == PageAdvanced || SSTab1.tab() == PageDebug) SSTab1.setTab(PageWelcome);
}

void FrmConfig::Form_QueryUnload(forms::CloseReason reason) {
  if (reason == forms::CloseReason::WindowsSession) return;
  // Give up the title first, so that the new copy's single-instance test
  // cannot find this closing window and end itself.
  setCaption("");
  app_.os().shell.startProgram(app_.state().AppFolder + "tessara7.exe",
                               platform::SwShowMinimized);
}

void FrmConfig::Form_Terminate() {
  app_.deleteTrayIcon();
  app_.End();
}

bool FrmConfig::askConfigPassword() {
  auto& state = app_.state();
  if (state.ConfigUnlocked) return false;
  state.PendingAction = "cfg";
  state.PendingWindow = 0;  // guards no window: Cancel must close nothing
  if (!state.DialogOpen && !state.Loading) ShowPWD();
  return true;
}

void FrmConfig::OptAllUsers_Click() { scopeOption_Click(false); }

void FrmConfig::OptThisUser_Click() { scopeOption_Click(true); }

void FrmConfig::scopeOption_Click(bool thisUser) {
  if (askConfigPassword() || app_.state().Loading) return;
  app_.registry().SaveStringValue(platform::Root::User, keys::Settings, "CurrentUser",
                                  thisUser ? "Enabled" : "Disabled");
  if (!thisUser) OptAllUsers.select();
  GetConfig();
}

void FrmConfig::mconfig_Click() {
  auto& state = app_.state();
  state.PendingTitle = "Configuration";
  state.PendingAction = "cfg";
  state.PendingWindow = 0;  // guards no window: Cancel must close nothing
  if (!state.DialogOpen) ShowPWD();
}

void FrmConfig::mExit_Click() { app_.End(); }

void FrmConfig::cmdCancel_Click() {
  hide();
  app_.state().ConfigUnlocked = false;
}

void FrmConfig::mAbout_Click() {
  app_.showNotice("Tessara 7, version " + app_.state().AppVersion +
                  ".\rLocks programs, windows and web pages behind one master password.");
}

void FrmConfig::updateStatus() {
  int locked = 0;
  for (const auto& entry : lstProgram.entries()) locked += entry.checked ? 1 : 0;
  lblStatus.setCaption("Locked programs and windows: " + std::to_string(locked) + " of " +
                       std::to_string(lstProgram.count()) + "\nSettings apply to: " +
                       (app_.state().SettingsRoot == platform::Root::User ? "This user"
                                                                         : "All users"));
}

}  // namespace tessara
