// The program's wiring: every event of the configuration window's controls,
// menus and timers goes to the handler of the subsystem that owns it.
#include "tessara7/history/frm_history.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/subsystems.h"

namespace tessara {

void Subsystems::connectHandlers() {
  // Start-up and the window's life.
  w_.onLoad = [this] { startup.Form_Load(); };
  w_.onActivate = [this] { startup.Form_Activate(); };
  w_.onQueryUnload = [this](forms::CloseReason reason) { startup.Form_QueryUnload(reason); };
  w_.onTerminate = [this] { startup.Form_Terminate(); };
  w_.OptAllUsers.onClick = [this] { startup.OptAllUsers_Click(); };
  w_.OptThisUser.onClick = [this] { startup.OptThisUser_Click(); };
  w_.mExit.onClick = [this] { startup.mExit_Click(); };
  w_.cmdCancel.onClick = [this] { startup.cmdCancel_Click(); };
  w_.mAbout.onClick = [this] { startup.mAbout_Click(); };
  loader.onLoaded = [this] { startup.updateStatus(); };

  // The tray menu.
  w_.mconfig.onClick = [this] { trayMenu.mconfig_Click(); };
  w_.mCancel.onClick = [] {};  // only closes the menu
  w_.mhideconfigure.onClick = [this] { trayMenu.mhideconfigure_Click(); };
  w_.mhidecoffebreak.onClick = [this] { trayMenu.mhidecoffebreak_Click(); };

  // The lock list and the releases.
  w_.cmdAdd.onClick = [this] { lockList.cmdAdd_Click(); };
  w_.cmdDel.onClick = [this] { lockList.cmdDel_Click(); };
  w_.lstProgram.onKeyDown = [this](int key) { lockList.lstProgram_KeyDown(key); };
  w_.lstProgram.onItemCheck = [this](int index) { lockList.lstProgram_ItemCheck(index); };
  lockList.onChanged = [this] { startup.updateStatus(); };
  w_.txtTask.onClick = [this] { lockList.txtTask_Click(); };
  w_.cmdHelper0.onClick = [this] { lockList.cmdHelper0_Click(); };
  w_.cmdlockprogram.onClick = [this] { lockList.cmdlockprogram_Click(); };
  w_.cmdSelect.onClick = [this] { lockList.cmdSelect_Click(); };
  w_.cmdIgnore.onClick = [this] { ignoreList.cmdIgnore_Click(); };
  w_.mignore.onClick = [this] { ignoreList.cmdIgnore_Click(); };
  w_.mHistory.onClick = [this] {
    if (!app_.askConfigPassword()) app_.frmHistory().show();
  };
  w_.mnuResetLocks.onClick = [this] { releases.mnuResetLocks_Click(); };

  // The configuration transfer.
  w_.cmdExport.onClick = [this] { transfer.cmdExport_Click(); };
  w_.cmdImport.onClick = [this] { transfer.cmdImport_Click(); };
  // The Encryption page and its runs.
  w_.cmdEncrypt.onClick = [this] { encryptionPage.cmdEncrypt_Click(); };
  w_.cmddecrypt.onClick = [this] { encryptionPage.cmddecrypt_Click(); };
  w_.cmdBrowse.onClick = [this] { encryptionPage.cmdBrowse_Click(); };
  w_.cmdfolder.onClick = [this] { encryptionPage.cmdfolder_Click(); };
  w_.chkSub.onClick = [this] { encryptionPage.chkSub_Click(); };
  w_.cmdenpwd.onClick = [this] { encryptionPage.cmdenpwd_Click(); };
  w_.lblDisplayEnPwd.onClick = [this] { encryptionPage.lblDisplayEnPwd_Click(); };
  w_.cmdHelper1.onClick = [this] { encryptionPage.cmdHelper1_Click(); };
  w_.cmdlockfile.onClick = [this] { encryptionPage.cmdlockfile_Click(); };
  startup.onCancelling = [this] { encryptionPage.reEncryptOnClose(); };
  // The same second's tick looks at the policy keys: a Group Policy refresh
  // shows within a second without a timer of its own.
  w_.Timer1.onTimer = [this] {
    commandRunner.Timer1_Timer();
    loader.reloadWhenManagedChanged();
  };

  // The file protector and the uninstall commands.
  w_.tmrFileProtector.onTimer = [this] { protector.tmrFileProtector_Timer(); };
  w_.cmdUninstall.onClick = [this] { uninstall.cmdUninstall_Click(); };
  w_.mUninstall.onClick = [this] { uninstall.mUninstall_Click(); };

  // The watchers.
  w_.timerTessara.onTimer = [this] { foregroundWatcher.timerTessara_Timer(); };
  w_.tmradv.onTimer = [this] { advancedWatcher.tmradv_Timer(); };
  w_.tmrGuard.onTimer = [this] { lockGuard.tmrGuard_Timer(); };

  // The master password and the computer lock.
  w_.cmdpassword.onClick = [this] { masterPassword.cmdpassword_Click(); };
  w_.cmdsetpassword.onClick = [this] { masterPassword.cmdsetpassword_Click(); };
  w_.mClearPassword.onClick = [this] { masterPassword.mClearPassword_Click(); };
  w_.chkPasswordTimer.onClick = [this] { masterPassword.chkPasswordTimer_Click(); };
  w_.tmrPassword.onTimer = [this] { masterPassword.tmrPassword_Timer(); };
  w_.mLockWorkstation.onClick = [this] { computerLock.mLockWorkstation_Click(); };

  // Apply and the switches that write at the click.
  w_.cmdok.onClick = [this] { apply.cmdok_Click(); };
  w_.chkNoViewOnDrive.onClick = [this] { protections.chkNoViewOnDrive_Click(); };
  w_.chkC.onClick = [this] { protections.chkC_Click(); };
  w_.chklockusb.onClick = [this] { protections.chklockusb_Click(); };
  w_.chkLockStart.onClick = [this] { protections.chkLockStart_Click(); };
  w_.chkWallpaper.onClick = [this] { protections.chkWallpaper_Click(); };
  // Last: every other Tweaks, Advanced and Settings item only flips its tick.
  switches.flipTicksOnClick();
}

}  // namespace tessara
