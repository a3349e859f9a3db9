#include "tessara7/shell/subsystems.h"

#include "tessara7/shell/app.h"

namespace tessara {

Subsystems::Subsystems(App& app, FrmConfig& w)
    : releases(w.lstAllow, w.lstUnlockedWin),
      ignoreList(app, app.registry(), w.lstignore),
      lockList(app, {w, w.SSTab1, FrmConfig::PageAccess, w.txtTask, w.cmdAdd, w.cmdDel, w.lstProgram}),
      foregroundWatcher(app, {app.os().desktop, app.programs(), lockList, releases, ignoreList}),
      advancedWatcher(app, {w.lstHiddenProgram, app.os().desktop, app.programs(), releases, foregroundWatcher.capture()}),
      masterPassword(app, app.registry(), {w, w.cmdsetpassword, w.txtsetpassword, w.Label10, w.OptThisUser, w.mClearPassword,
                           w.chkPasswordTimer, w.tmrPassword}),
      lockGuard(app, {w.tmrGuard,
                      [&w] {
                        w.timerTessara.tick();
                        w.tmradv.tick();
                      },
                      app.os().clock, app.os().desktop, releases}),
      computerLock(app, {app.history(), app.os().desktop, lockGuard}),
      switches(w, w.chkContextMenu),
      protections(app.registry(), app.policyChanges(),
                  {w.chkNoViewOnDrive, w.chkC, w.chklockusb, w.chkLockStart, w.chkWallpaper}),
      trayMenu(app, {w, w.mFile, w.mconfig, w.mLockWorkstation, w.mhideconfigure, w.mhidecoffebreak, w.lblaction}),
      protector(app.os(), app.state().AppFolder),
      uninstall(app, {w, w.cmdUninstall, w.tmrFileProtector}, {app.os(), protector, app.state().AppFolder}),
      transfer(app, {app.os(), app.history(), app.state().AppFolder}),
      RSPEncrypt1(app.os().files, app.encryptionOptions()),
      run(app, {w.txtPath, w.txtEnPwd, w.lstFolders, w.File1, w.fraEn, w.cmdHome, RSPEncrypt1},
          {app.os(), app.history(), app.state().Encryption, app.state().WindowsFolder, app.state().EncryptionBusy}),
      encryptionPage(app,
                     {w, w.SSTab1, FrmConfig::PageEncryption, w.fraEn, w.txtPath, w.chkSub, w.txtEnPwd, w.cmdenpwd,
                      w.chkReEncrypt, run, commandRunner},
                     {app.os().shell, app.registry(), app.state().SettingsRoot, app.state().Encryption}),
      commandRunner(encryptionPage),
      explorerMenu(app, {w, w.txtPath, commandRunner, {app.os().desktop, app.registry(), app.state().AppFolder}}),
      loader(app, {w, lockList, ignoreList, foregroundWatcher, advancedWatcher, masterPassword, switches, protections, trayMenu,
                   w.OptAllUsers, w.OptThisUser, w.txtPath, w.File1, w.txtEnPwd, w.cmdenpwd, explorerMenu}),
      startup(app, {w,
                    loader,
                    lockList,
                    w.SSTab1,
                    FrmConfig::PageWelcome,
                    {FrmConfig::PageAdvanced, FrmConfig::PageDebug},
                    w.OptAllUsers,
                    w.OptThisUser,
                    w.chkSub,
                    w.lblsfile,
                    w.lblStatus,
                    {&w.chkLockFF, &w.chkLockInstall, &w.chkRDesktop, &w.chkRun, &w.chkNoPrograms, &w.chkDesktop}}),
      apply(app, {lockList, ignoreList, switches, loader, foregroundWatcher, w.OptThisUser, w.cmdCancel}),
      app_(app),
      w_(w) {
  connectHandlers();
}

}  // namespace tessara
