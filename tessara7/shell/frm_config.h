#pragma once
// The configuration window: the program's main window, hidden while the
// program runs. It carries the tabs of the configuration, the menus (the
// hidden "File" menu is the tray menu), the per-run lists on its debug page
// and the timers that drive the watchers. It holds controls, menus and
// layout only: what a control does is the business of the subsystem object
// it is wired to (shell/subsystems.h), each in its own folder, and other
// windows talk to those objects through App, never to the controls here.
#include <string>
#include <string_view>

#include "forms/form.h"
#include "platform/registry.h"
#include "tessara7/locking/lock_guard.h"

namespace tessara {

class App;

class FrmConfig : public forms::Form {
 public:
  explicit FrmConfig(App& app);

  // Tabs of SSTab1.
  enum Page { PageAccess = 0, PageEncryption, PageSystem, PageAdvanced, PageUsers, PageWelcome, PageDebug };

  forms::TabControl SSTab1{*this, "SSTab1",
                           {"Access Control", "Encryption", "System", "Advanced", "Users", "Welcome",
                            "Debug"}};

  // Access Control: the lock list.
  forms::Frame fraLocked{*this, "fraLocked", "Locked Programs && Windows"};
  forms::Label lblTaskHint{*this, "lblTaskHint", "Enter a Task to lock or click Browse."};
  forms::TextBox txtTask{*this, "txtTask"};
  forms::Button cmdAdd{*this, "cmdAdd", "Lock!"};
  forms::Button cmdSelect{*this, "cmdSelect", "Browse..."};
  forms::CheckList lstProgram{*this, "lstProgram"};
  forms::Button cmdDel{*this, "cmdDel", "Remove"};
  forms::Button cmdIgnore{*this, "cmdIgnore", "Ignore"};
  forms::Button cmdHelper0{*this, "cmdHelper0", "?"};

  // Encryption.
  forms::Frame fraEn{*this, "fraEn", "File && Folder Encryption"};
  forms::Label Label2{*this, "Label2", "Enter a File, Folder or Drive to Encrypt."};
  forms::TextBox txtPath{*this, "txtPath"};
  forms::Button cmdBrowse{*this, "cmdBrowse", "..."};
  forms::Button cmdfolder{*this, "cmdfolder", "Open"};
  forms::CheckBox chkSub{*this, "chkSub", "Include Sub Folders"};
  forms::Button cmdEncrypt{*this, "cmdEncrypt", "Encrypt"};
  forms::Button cmddecrypt{*this, "cmddecrypt", "Decrypt"};
  forms::Frame fraEnPwd{*this, "fraEnPwd", "Password:"};
  forms::TextBox txtEnPwd{*this, "txtEnPwd"};
  forms::Button cmdenpwd{*this, "cmdenpwd", "Set"};
  forms::Label lblDisplayEnPwd{*this, "lblDisplayEnPwd", "Display Password"};
  forms::CheckBox chkReEncrypt{*this, "chkReEncrypt", "Re-encrypt files when I click Close"};
  forms::CheckBox chkContextMenu{*this, "chkContextMenu", "Show Encrypt on Explorer Menu"};
  forms::Button cmdHelper1{*this, "cmdHelper1", "?"};

  // System.
  forms::Frame fraAdvanced{*this, "fraAdvanced", "System Protection"};
  forms::CheckBox chkNoViewOnDrive{*this, "chkNoViewOnDrive", "No View On Drive *"};
  forms::CheckBox chkC{*this, "chkC", "C:"};
  forms::CheckBox chklockusb{*this, "chklockusb",
                             "Enabled Write-protection on all USB Flash Drive(s) *"};
  forms::CheckBox chkLockStart{*this, "chkLockStart",
                               "Restrict Taskbar from being configured or changed *"};
  forms::Label Label3{*this, "Label3", "* Affects All Users. Requires Log-off or Restart."};
  forms::Label Label8{*this, "Label8",
                      "Also disables: Descktop Cleanup Wizard, Balloon Notifications && Active "
                      "Desktop."};

  // Advanced (never offered to the user).
  forms::CheckBox chkAdvLockIE{*this, "chkAdvLockIE", "Lock Internet Explorer"};
  forms::CheckBox chkAdvLockEx{*this, "chkAdvLockEx", "Lock Windows Explorer"};
  forms::CheckBox chkAdvTaskManager{*this, "chkAdvTaskManager", "Lock Task Manager"};

  // Users.
  forms::Frame fraUsers{*this, "fraUsers", "Settings"};
  forms::Label Label10{*this, "Label10", "Apply configuration to:"};
  forms::OptionButton OptAllUsers{*this, "OptAllUsers", "All users"};
  forms::OptionButton OptThisUser{*this, "OptThisUser", "This user"};
  forms::Frame fraTransfer{*this, "fraTransfer", "Transfer"};
  forms::Label lblTransfer{*this, "lblTransfer",
                           "You can transfer this Configuration to other computers."};
  forms::Button cmdExport{*this, "cmdExport", "Export..."};
  forms::Label lblExport{*this, "lblExport", "Copies the configuration from here, to a disk."};
  forms::Button cmdImport{*this, "cmdImport", "Import..."};
  forms::Label lblImport{*this, "lblImport", "Copies the configuration from a disk, to here."};

  // Welcome.
  forms::Label lblWelcome{*this, "lblWelcome", "Welcome to Tessara 7"};
  forms::Label lblWelcomeText{*this, "lblWelcomeText",
                              "Lock programs, windows and web pages behind one master password, "
                              "encrypt your files and restrict system settings."};
  forms::Button cmdlockprogram{*this, "cmdlockprogram", "Protect a Program or Website"};
  forms::Button cmdpassword{*this, "cmdpassword", "Set Master Password"};
  forms::TextBox txtsetpassword{*this, "txtsetpassword"};
  forms::Button cmdsetpassword{*this, "cmdsetpassword", "OK"};
  forms::Button cmdlockfile{*this, "cmdlockfile", "Encrypt a File, Folder or Drive"};
  forms::Label lblaction{*this, "lblaction", "What would you like to do?"};
  forms::Label lblStatus{*this, "lblStatus"};
  forms::Label lblsfileCaption{*this, "lblsfileCaption", "Program folder:"};
  forms::Label lblsfile{*this, "lblsfile"};
  forms::Label cmdUninstall{*this, "cmdUninstall", "Uninstall"};

  // Debug (never offered to the user): views of the releases and the ignore
  // list, which hold their data, and working lists.
  forms::Frame fraDebug{*this, "fraDebug", "Author Debug Panel"};
  forms::ListBox lstAllow{*this, "lstAllow"};
  forms::ListBox lstUnlockedWin{*this, "lstUnlockedWin"};
  forms::ListBox lstignore{*this, "lstignore"};
  forms::ListBox lstHiddenProgram{*this, "lstHiddenProgram"};
  forms::ListBox lstFolders{*this, "lstFolders"};
  forms::ListBox File1{*this, "File1"};
  forms::Frame fraProtector{*this, "fraProtector", "Protector"};

  // Bottom bar.
  forms::Button cmdHome{*this, "cmdHome", "< Back"};
  forms::Button cmdok{*this, "cmdok", "Apply"};
  forms::Button cmdCancel{*this, "cmdCancel", "Cancel"};

  // Timers.
  forms::Timer timerTessara{*this, "timerTessara", 500, true};
  forms::Timer tmradv{*this, "tmradv", 500, true};
  forms::Timer Timer1{*this, "Timer1", 1000, true};
  forms::Timer tmrFileProtector{*this, "tmrFileProtector", 1000, true};
  forms::Timer tmrPassword{*this, "tmrPassword", 30000, false};
  // The quick checks between the watchers' ticks; started only when needed.
  forms::Timer tmrGuard{*this, "tmrGuard", LockGuard::CloseIntervalMs, false};

  // Menus, built in the constructor (the switches from the restriction
  // catalogue); these name the items handlers use.
  forms::MenuItem& mFile;
  forms::MenuItem& mconfig;
  forms::MenuItem& mLockWorkstation;
  forms::MenuItem& mnuResetLocks;
  forms::MenuItem& mClearPassword;
  forms::MenuItem& mCancel;
  forms::MenuItem& mExit;
  forms::MenuItem& mSettings;
  forms::MenuItem& mignore;
  forms::MenuItem& chkPasswordTimer;
  forms::MenuItem& mEnPwd;
  forms::MenuItem& mHistory;
  forms::MenuItem& mhideconfigure;
  forms::MenuItem& mhidecoffebreak;
  forms::MenuItem& mTweaks;
  forms::MenuItem& mwindows;
  forms::MenuItem& chkDesktop;
  forms::MenuItem& chkRDesktop;
  forms::MenuItem& chkWallpaper;
  forms::MenuItem& chkNoPrograms;
  forms::MenuItem& chkRun;
  forms::MenuItem& mie;
  forms::MenuItem& chkOptions;
  forms::MenuItem& chkSource;
  forms::MenuItem& chkdlFolder;
  forms::MenuItem& chkFav;
  forms::MenuItem& mAdvanced;
  forms::MenuItem& mwin;
  forms::MenuItem& chkTaskManager;
  forms::MenuItem& chkLockMyComputer;
  forms::MenuItem& chkLockex;
  forms::MenuItem& chkLockInstall;
  forms::MenuItem& chkLockextract;
  forms::MenuItem& mSeperator01;
  forms::MenuItem& chkLockIE;
  forms::MenuItem& chkLockFF;
  forms::MenuItem& chkdisableDownloads;
  forms::MenuItem& mHelp;
  forms::MenuItem& mAbout;
  forms::MenuItem& mUninstall;

  // Builds the menu bar on a window and returns its first menu, the tray's
  // "File" (tests look at the menus on a form of their own).
  static forms::MenuItem& buildMenus(forms::Form& window);

 private:
  // A built menu item by name; throws std::logic_error when there is none.
  forms::MenuItem& builtItem(std::string_view name) const;
  void layOut();
};

}  // namespace tessara
