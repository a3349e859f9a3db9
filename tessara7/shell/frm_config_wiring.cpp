// The configuration window's wiring: every event of its controls, menus and
// timers goes to the handler of the subsystem that owns it.
#include "tessara7/history/frm_history.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {

void FrmConfig::connectHandlers() {
  // Start-up and the window's life.
  onLoad = [this] { startup.Form_Load(); };
  onActivate = [this] { startup.Form_Activate(); };
  onQueryUnload = [this](forms::CloseReason reason) { startup.Form_QueryUnload(reason); };
  onTerminate = [this] { startup.Form_Terminate(); };
  OptAllUsers.onClick = [this] { startup.OptAllUsers_Click(); };
  OptThisUser.onClick = [this] { startup.OptThisUser_Click(); };
  mExit.onClick = [this] { startup.mExit_Click(); };
  cmdCancel.onClick = [this] { startup.cmdCancel_Click(); };
  mAbout.onClick = [this] { startup.mAbout_Click(); };
  loader.onLoaded = [this] { startup.updateStatus(); };

  // The tray menu.
  mconfig.onClick = [this] { trayMenu.mconfig_Click(); };
  mCancel.onClick = [] {};  // only closes the menu
  mhideconfigure.onClick = [this] { trayMenu.mhideconfigure_Click(); };
  mhidecoffebreak.onClick = [this] { trayMenu.mhidecoffebreak_Click(); };

  // The lock list and the releases.
  cmdAdd.onClick = [this] { lockList.cmdAdd_Click(); };
  cmdDel.onClick = [this] { lockList.cmdDel_Click(); };
  lstProgram.onKeyDown = [this](int key) { lockList.lstProgram_KeyDown(key); };
  lstProgram.onItemCheck = [this](int index) { lockList.lstProgram_ItemCheck(index); };
  lockList.onChanged = [this] { startup.updateStatus(); };
  txtTask.onClick = [this] { lockList.txtTask_Click(); };
  cmdHelper0.onClick = [this] { lockList.cmdHelper0_Click(); };
  cmdlockprogram.onClick = [this] { lockList.cmdlockprogram_Click(); };
  cmdSelect.onClick = [this] { lockList.cmdSelect_Click(); };
  cmdIgnore.onClick = [this] { ignoreList.cmdIgnore_Click(); };
  mignore.onClick = [this] { ignoreList.cmdIgnore_Click(); };
  mHistory.onClick = [this] {
    if (!app_.askConfigPassword()) app_.frmHistory().show();
  };
  mnuResetLocks.onClick = [this] { releases.mnuResetLocks_Click(); };

  // The configuration transfer.
  cmdExport.onClick = [this] { transfer.cmdExport_Click(); };
  cmdImport.onClick = [this] { transfer.cmdImport_Click(); };
  // The Encryption page and its runs.
  cmdEncrypt.onClick = [this] { encryptionPage.cmdEncrypt_Click(); };
  cmddecrypt.onClick = [this] { encryptionPage.cmddecrypt_Click(); };
  cmdBrowse.onClick = [this] { encryptionPage.cmdBrowse_Click(); };
  cmdfolder.onClick = [this] { encryptionPage.cmdfolder_Click(); };
  chkSub.onClick = [this] { encryptionPage.chkSub_Click(); };
  cmdenpwd.onClick = [this] { encryptionPage.cmdenpwd_Click(); };
  lblDisplayEnPwd.onClick = [this] { encryptionPage.lblDisplayEnPwd_Click(); };
  cmdHelper1.onClick = [this] { encryptionPage.cmdHelper1_Click(); };
  cmdlockfile.onClick = [this] { encryptionPage.cmdlockfile_Click(); };
  startup.onCancelling = [this] { encryptionPage.reEncryptOnClose(); };
  // The same second's tick looks at the policy keys: a Group Policy refresh
  // shows within a second without a timer of its own.
  Timer1.onTimer = [this] {
    commandRunner.Timer1_Timer();
    loader.reloadWhenManagedChanged();
  };

  // The file protector and the uninstall commands.
  tmrFileProtector.onTimer = [this] { protector.tmrFileProtector_Timer(); };
  cmdUninstall.onClick = [this] { uninstall.cmdUninstall_Click(); };
  mUninstall.onClick = [this] { uninstall.mUninstall_Click(); };

  // The watchers.
  timerTessara.onTimer = [this] { foregroundWatcher.timerTessara_Timer(); };
  tmradv.onTimer = [this] { advancedWatcher.tmradv_Timer(); };
  tmrGuard.onTimer = [this] { lockGuard.tmrGuard_Timer(); };

  // The master password and the computer lock.
  cmdpassword.onClick = [this] { masterPassword.cmdpassword_Click(); };
  cmdsetpassword.onClick = [this] { masterPassword.cmdsetpassword_Click(); };
  mClearPassword.onClick = [this] { masterPassword.mClearPassword_Click(); };
  chkPasswordTimer.onClick = [this] { masterPassword.chkPasswordTimer_Click(); };
  tmrPassword.onTimer = [this] { masterPassword.tmrPassword_Timer(); };
  mLockWorkstation.onClick = [this] { computerLock.mLockWorkstation_Click(); };

  // Apply and the switches that write at the click.
  cmdok.onClick = [this] { apply.cmdok_Click(); };
  chkNoViewOnDrive.onClick = [this] { protections.chkNoViewOnDrive_Click(); };
  chkC.onClick = [this] { protections.chkC_Click(); };
  chklockusb.onClick = [this] { protections.chklockusb_Click(); };
  chkLockStart.onClick = [this] { protections.chkLockStart_Click(); };
  chkWallpaper.onClick = [this] { protections.chkWallpaper_Click(); };
  // Last: every other Tweaks, Advanced and Settings item only flips its tick.
  switches.flipTicksOnClick();
}

}  // namespace tessara
