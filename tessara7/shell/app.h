#pragma once
// The main program: its platform, its program-wide values and its windows.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forms/form.h"
#include "platform/platform.h"
#include "platform/tray.h"
#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/encryption_page.h"
#include "tessara7/encryption/encryption_run.h"
#include "tessara7/encryption/explorer_menu.h"
#include "tessara7/history/frm_history.h"
#include "tessara7/history/history_queue.h"
#include "tessara7/locking/advanced_watcher.h"
#include "tessara7/locking/computer_lock.h"
#include "tessara7/locking/foreground_watcher.h"
#include "tessara7/locking/frm_ignore.h"
#include "tessara7/locking/frm_lock.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/password_request.h"
#include "tessara7/locking/password_requests.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/restrictions/policy_changes.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/user_scope.h"
#include "tessara7/shell/app_state.h"
#include "tessara7/shell/notice.h"
#include "tessara7/transfer/transfer_commands.h"
#include "tessara7/uninstall/uninstall_commands.h"

namespace tessara {

class FrmConfig;
class Subsystems;
class FrmError;
class FrmBlank;
class FrmInput;
class FrmCrypt;
class MasterPassword;
class PasswordThrottle;
class Releases;

struct AppHost {
  platform::Platform& os;
  platform::Tray& tray;
  forms::ViewFactory* views = nullptr;   // nullptr: no windows (native tests)
  std::function<void()> doEvents;        // lets pending window events run
  std::function<void()> quit;            // ends the message loop
  std::array<std::uint16_t, 4> version{7, 1, 0, 3};  // file version: major, minor, build, revision
  // Waits a little for the next window event, then lets the pending ones
  // run (a modal wait that does not spin); doEvents when not given.
  std::function<void()> waitEvents{};
  encryption::ComponentOptions encryption{};          // the encryption component's set-up
};

class App : public LockList::Host,
            public IgnoreList::Host,
            public MasterPassword::Host,
            public LockGuard::Host,
            public ComputerLock::Host,
            public ExplorerMenu::Host,
            public TransferCommands::Host,
            public UninstallCommands::Host,
            public FrmHistory::Host,
            public EncryptionRun::Host,
            public EncryptionPage::Host,
            public FrmLock::Host,
            public FrmIgnore::Host,
            public ForegroundWatcher::Host,
            public AdvancedWatcher::Host,
            public PasswordRequests::Host,
            public FrmPassword::Host {
 public:
  explicit App(AppHost host);
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Loads the configuration window, which is starting the program.
  void start();
  // Ends the program at once, skipping the window's closing handlers.
  void End();
  bool ended() const override { return ended_; }
  // The owner's Exit: the guard service is told to leave the program ended,
  // then it ends.
  void exitForGood();

  // Shows NoticeText in the notice window without waiting.
  void showNotice(std::string text) override;
  // Shows the notice and waits until it is closed: "ok", "cancel", or ""
  // when it was closed with its close box.
  std::string askNotice(std::string text) override;
  // Frees windows that were unloaded; call when no handler is running.
  void collect();

  platform::Platform& os() { return host_.os; }
  platform::Tray& tray() { return host_.tray; }
  RegistryAccess& registry() { return registry_; }
  // What Group Policy manages of the settings, read again at every load.
  ManagedSettings& managedSettings() { return managed_; }
  // Whether this user's own store holds, and the owner's choice of it.
  UserScope& userScope() { return userScope_; }
  AppState& state() { return state_; }
  // The program file behind a window, kept per process.
  ProgramLookup& programs() { return programs_; }
  // What happened, for the history the guard service keeps.
  HistoryQueue& history() { return history_; }
  forms::Runtime& runtime() { return runtime_; }
  const std::array<std::uint16_t, 4>& version() const { return host_.version; }
  const encryption::ComponentOptions& encryptionOptions() const { return host_.encryption; }

  // The windows; the pop-up ones are made afresh after they unload.
  FrmConfig& frmConfig() { return *frmConfig_; }
  // The subsystems behind the window's controls.
  Subsystems& subsystems() { return *subsystems_; }
  FrmError& frmError();
  FrmError* openNotice();  // nullptr when not loaded
  FrmPassword& frmPassword() override;
  FrmPassword* openPassword() override;
  FrmBlank& frmBlank() override;
  FrmBlank* openBlank() override;
  FrmLock& frmLock();
  FrmLock* openLock();
  FrmIgnore& frmIgnore();
  FrmIgnore* openIgnore();
  FrmInput* openInput();
  FrmCrypt& frmCrypt() override;
  FrmCrypt* openCrypt() override;
  FrmHistory& frmHistory();
  FrmHistory* openHistory() override;

  // Asks for the master password before a guarded operation (the pending
  // values, then the prompt; see PasswordRequests); the request carries what
  // the right password does.
  void requestPassword(PasswordRequest request) override;
  // Asks for the password that opens the configuration window.
  void requestConfiguration(std::optional<std::string> title) override;
  // The configuration commands' guard: true while the configuration is
  // locked, having asked for the password.
  bool askConfigPassword() override;
  PasswordRequests& passwordRequests() { return *passwordRequests_; }
  // What wrong master passwords have cost so far.
  PasswordThrottle& passwordThrottle() { return *passwordThrottle_; }

  // The subsystems that other windows talk to; they live in Subsystems,
  // built on the configuration window's controls.
  Releases& releases();
  LockList& lockList();
  IgnoreList& ignoreList();
  MasterPassword& masterPassword();
  UninstallCommands& uninstall();
  ComputerLock& computerLock();
  LockGuard& lockGuard() override;
  // The configuration window comes up (the master password was given).
  void showConfiguration() override;

  // Tells running programs that policies changed, once per command.
  PolicyChanges& policyChanges() { return policyChanges_; }

  // The tray icon's state: added at start-up, gone when the window goes.
  bool trayIconAdded() const { return trayIconAdded_; }
  void addTrayIcon();
  void deleteTrayIcon() override;

 private:
  // What the subsystems and windows ask of the program through their hosts,
  // and only through them.
  // Asks for one line of text in a box of this title, holding the suggested
  // text, and waits: the confirmed text, or nothing after Cancel.
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& suggested) override;
  // Closes an open input box as Cancel does.
  void closeInputBox() override;
  // Lets pending window events run.
  void DoEvents() override;
  // Waits a little for the next window event and lets it run (a modal wait).
  void waitEvents() override;
  void forgetKeptPassword() override { passwordRequests_->session().KeptPassword.clear(); }
  // Opens the picker of running tasks (frmLock).
  void showTaskPicker() override;
  // Opens the "Ignore List" window (frmIgnore).
  void showIgnoreWindow() override;
  // What the lock guard asks of the prompt, the watchers and the computer lock.
  bool promptAsksForAnother(platform::WindowHandle window) const override;
  platform::WindowHandle watchedForeground() const override;
  bool computerLocked() const override;
  bool keepComputerLockInPlace() override;
  bool explorerMenuNeedsPassword() const override { return state_.ExplorerMenuNeedsPassword; }
  bool dialogOpen() const override { return passwordRequests_->session().DialogOpen; }
  void setDialogOpen(bool open) override { passwordRequests_->session().DialogOpen = open; }
  bool loading() const override { return state_.Loading; }
  encryption::EncryptionSettings& encryptionSettings() override { return state_.Encryption; }
  // The prompt shows "Include Sub Folders".
  void offerSubfolderOption() override;
  void leavePasswordPending(PasswordRequest request) override;

  void reportHandlerError(const std::string& description);

  AppHost host_;
  forms::Runtime runtime_;
  ManagedSettings managed_;
  RegistryAccess registry_;
  UserScope userScope_;
  AppState state_;
  ProgramLookup programs_;
  HistoryQueue history_;
  PolicyChanges policyChanges_{host_.os.desktop};
  // Made after the subsystems, but outlives the window, whose input lock asks it.
  std::unique_ptr<PasswordRequests> passwordRequests_;
  std::unique_ptr<FrmConfig> frmConfig_;
  std::unique_ptr<Subsystems> subsystems_;  // after the window: they go first
  std::unique_ptr<PasswordThrottle> passwordThrottle_;
  Notice notice_;
  forms::FormSlot<FrmPassword> frmPassword_;
  forms::FormSlot<FrmBlank> frmBlank_;
  forms::FormSlot<FrmLock> frmLock_;
  forms::FormSlot<FrmIgnore> frmIgnore_;
  forms::FormSlot<FrmInput> frmInput_;
  forms::FormSlot<FrmCrypt> frmCrypt_;
  forms::FormSlot<FrmHistory> frmHistory_;
  bool ended_ = false;
  bool trayIconAdded_ = false;
  platform::WindowHandle trayOwner_ = 0;
};


}  // namespace tessara
