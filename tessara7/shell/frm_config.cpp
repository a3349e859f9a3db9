#include "tessara7/shell/frm_config.h"

#include "shared/names.h"
#include "tessara7/shell/app.h"

namespace tessara {
namespace {

forms::FormStyle configStyle() {
  forms::FormStyle style;
  style.width = 600;
  style.height = 456;
  style.border = forms::Border::FixedSingle;
  style.minButton = true;
  return style;
}

}  // namespace

FrmConfig::FrmConfig(App& app)
    : Form(app.runtime(), "frmConfig", names::MainLoadingTitle, configStyle()),
      mFile(buildMenus(*this)),
      mconfig(builtItem("mconfig")),
      mLockWorkstation(builtItem("mLockWorkstation")),
      mnuResetLocks(builtItem("mnuResetLocks")),
      mClearPassword(builtItem("mClearPassword")),
      mCancel(builtItem("mCancel")),
      mExit(builtItem("mExit")),
      mSettings(builtItem("mSettings")),
      mignore(builtItem("mignore")),
      chkPasswordTimer(builtItem("chkPasswordTimer")),
      mEnPwd(builtItem("mEnPwd")),
      mHistory(builtItem("mHistory")),
      mhideconfigure(builtItem("mhideconfigure")),
      mhidecoffebreak(builtItem("mhidecoffebreak")),
      mTweaks(builtItem("mTweaks")),
      mwindows(builtItem("mwindows")),
      chkDesktop(builtItem("chkDesktop")),
      chkRDesktop(builtItem("chkRDesktop")),
      chkWallpaper(builtItem("chkWallpaper")),
      chkNoPrograms(builtItem("chkNoPrograms")),
      chkRun(builtItem("chkRun")),
      mie(builtItem("mie")),
      chkOptions(builtItem("chkOptions")),
      chkSource(builtItem("chkSource")),
      chkdlFolder(builtItem("chkdlFolder")),
      chkFav(builtItem("chkFav")),
      mAdvanced(builtItem("mAdvanced")),
      mwin(builtItem("mwin")),
      chkTaskManager(builtItem("chkTaskManager")),
      chkLockMyComputer(builtItem("chkLockMyComputer")),
      chkLockex(builtItem("chkLockex")),
      chkLockInstall(builtItem("chkLockInstall")),
      chkLockextract(builtItem("chkLockextract")),
      mSeperator01(builtItem("mSeperator01")),
      chkLockIE(builtItem("chkLockIE")),
      chkLockFF(builtItem("chkLockFF")),
      chkdisableDownloads(builtItem("chkdisableDownloads")),
      mHelp(builtItem("mHelp")),
      mAbout(builtItem("mAbout")),
      mUninstall(builtItem("mUninstall")) {
  // The tray menu is the window's "File" menu, shown only at the tray icon.
  mFile.setVisible(false);
  mClearPassword.setEnabled(false);
  // Until the master password opens it, the window is hidden and its commands
  // can only come from another program. The tray menu's stay: they ask for
  // the password themselves (Configure..., Exit) or only lock more.
  setInputLock([&app] { return !app.passwordRequests().session().ConfigUnlocked; });
  for (forms::MenuItem* item : {&mconfig, &mLockWorkstation, &mnuResetLocks, &mClearPassword, &mCancel, &mExit})
    item->setRunsWhileLocked(true);
  layOut();
}

void FrmConfig::layOut() {
  using forms::Rect;
  SSTab1.place({8, 8, 584, 400});

  const int access = PageAccess;
  fraLocked.place({16, 36, 568, 362}, access);
  lblTaskHint.place({28, 58, 330, 18}, access, &fraLocked);
  txtTask.place({28, 80, 330, 23}, access, &fraLocked);
  cmdAdd.place({366, 79, 90, 25}, access, &fraLocked);
  cmdSelect.place({464, 79, 104, 25}, access, &fraLocked);
  lstProgram.place({28, 112, 428, 274}, access, &fraLocked);
  cmdDel.place({464, 112, 104, 25}, access, &fraLocked);
  cmdDel.setToolTip("Removes an item from the list");
  cmdIgnore.place({464, 144, 104, 25}, access, &fraLocked);
  cmdIgnore.setToolTip("Displays Programs that are Ignored");
  cmdHelper0.place({464, 176, 30, 25}, access, &fraLocked);

  const int encryption = PageEncryption;
  fraEn.place({16, 36, 568, 362}, encryption);
  Label2.place({28, 58, 420, 18}, encryption, &fraEn);
  txtPath.place({28, 80, 420, 23}, encryption, &fraEn);
  cmdBrowse.place({454, 79, 32, 25}, encryption, &fraEn);
  cmdBrowse.setToolTip("Browse");
  cmdfolder.place({492, 79, 76, 25}, encryption, &fraEn);
  cmdfolder.setToolTip("Click here to display Folder.");
  chkSub.place({28, 112, 300, 20}, encryption, &fraEn);
  chkSub.setToolTip("Encrypt or decrypt all the folders within the current one");
  cmdEncrypt.place({28, 142, 100, 28}, encryption, &fraEn);
  cmddecrypt.place({136, 142, 100, 28}, encryption, &fraEn);
  cmdHelper1.place({244, 142, 30, 28}, encryption, &fraEn);
  fraEnPwd.place({28, 184, 320, 92}, encryption, &fraEn);
  txtEnPwd.place({40, 208, 180, 23}, encryption, &fraEnPwd);
  txtEnPwd.setPasswordChar('*');
  txtEnPwd.setMaxLength(16);
  cmdenpwd.place({228, 207, 100, 25}, encryption, &fraEnPwd);
  lblDisplayEnPwd.place({40, 244, 150, 18}, encryption, &fraEnPwd);
  lblDisplayEnPwd.setColor(0xC00000);
  chkReEncrypt.place({28, 292, 420, 20}, encryption, &fraEn);
  chkReEncrypt.setToolTip("Auto Re-encrypts your files when Cancel or Close if clicked");
  chkContextMenu.place({28, 318, 420, 20}, encryption, &fraEn);
  chkContextMenu.setToolTip(
      "Display the 'Encrypt/Decrypt' options on the Windows Explorer Right-click Menu");

  const int system = PageSystem;
  fraAdvanced.place({16, 36, 568, 250}, system);
  chkNoViewOnDrive.place({28, 62, 200, 20}, system, &fraAdvanced);
  chkC.place({236, 62, 60, 20}, system, &fraAdvanced);
  chkC.setEnabled(false);
  chklockusb.place({28, 94, 540, 20}, system, &fraAdvanced);
  chkLockStart.place({28, 126, 540, 20}, system, &fraAdvanced);
  Label3.place({28, 166, 540, 18}, system, &fraAdvanced);
  Label8.place({28, 190, 540, 36}, system, &fraAdvanced);

  const int advanced = PageAdvanced;
  chkAdvLockIE.place({28, 62, 300, 20}, advanced);
  chkAdvLockEx.place({28, 92, 300, 20}, advanced);
  chkAdvTaskManager.place({28, 122, 300, 20}, advanced);

  const int users = PageUsers;
  fraUsers.place({16, 36, 568, 122}, users);
  Label10.place({28, 60, 300, 18}, users, &fraUsers);
  OptAllUsers.place({28, 86, 300, 20}, users, &fraUsers);
  OptAllUsers.setToolTip("Saves configurations for All Users of this computer");
  OptThisUser.place({28, 114, 300, 20}, users, &fraUsers);
  OptThisUser.setToolTip("Overides the All Users configuration for This User only");
  fraTransfer.place({16, 168, 568, 132}, users);
  lblTransfer.place({28, 192, 540, 18}, users, &fraTransfer);
  cmdExport.place({28, 220, 100, 26}, users, &fraTransfer);
  lblExport.place({140, 224, 420, 18}, users, &fraTransfer);
  cmdImport.place({28, 256, 100, 26}, users, &fraTransfer);
  lblImport.place({140, 260, 420, 18}, users, &fraTransfer);

  const int welcome = PageWelcome;
  lblWelcome.place({28, 46, 540, 20}, welcome);
  lblWelcomeText.place({28, 70, 540, 36}, welcome);
  lblaction.place({28, 116, 300, 18}, welcome);
  lblaction.setColor(0xC00000);
  cmdlockprogram.place({28, 140, 240, 30}, welcome);
  cmdpassword.place({28, 178, 240, 30}, welcome);
  txtsetpassword.place({280, 182, 180, 23}, welcome);
  txtsetpassword.setVisible(false);
  txtsetpassword.setPasswordChar('*');
  cmdsetpassword.place({468, 181, 60, 25}, welcome);
  cmdsetpassword.setVisible(false);
  cmdlockfile.place({28, 216, 240, 30}, welcome);
  lblStatus.place({28, 262, 540, 64}, welcome);
  lblsfileCaption.place({28, 336, 100, 18}, welcome);
  lblsfile.place({130, 336, 440, 18}, welcome);
  cmdUninstall.place({28, 366, 120, 18}, welcome);
  cmdUninstall.setColor(0xC00000);
  cmdUninstall.setToolTip("Click here!");

  const int debug = PageDebug;
  fraDebug.place({16, 36, 568, 362}, debug);
  lstAllow.place({28, 60, 176, 136}, debug, &fraDebug);
  lstUnlockedWin.place({212, 60, 176, 136}, debug, &fraDebug);
  lstignore.place({396, 60, 176, 136}, debug, &fraDebug);
  lstHiddenProgram.place({28, 206, 176, 136}, debug, &fraDebug);
  lstFolders.place({212, 206, 176, 136}, debug, &fraDebug);
  File1.place({396, 206, 176, 136}, debug, &fraDebug);
  fraProtector.place({28, 348, 200, 40}, debug, &fraDebug);

  cmdHome.place({8, 418, 100, 30});
  cmdok.place({384, 418, 100, 30});
  cmdok.setToolTip("Save the current configuration to your computer");
  cmdCancel.place({492, 418, 100, 30});
  cmdCancel.setToolTip("Closes this tool (ensure you click Apply if you want your settings saved)");
}


}  // namespace tessara
