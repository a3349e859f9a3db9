#include "tessara7/shell/app.h"

#include "tessara7/encryption/frm_crypt.h"
#include "tessara7/history/frm_history.h"
#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/frm_ignore.h"
#include "tessara7/locking/frm_lock.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/password_requests.h"
#include "tessara7/locking/password_throttle.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/subsystems.h"
#include "tessara7/shell/frm_error.h"
#include "tessara7/shell/frm_input.h"

namespace tessara {

App::App(AppHost host)
    : host_(std::move(host)),
      runtime_{host_.os.clock, host_.views, {}, {}},
      registry_(host_.os.registry),
      userScope_((registry_.manage(&managed_), registry_), host_.os.shell.userSid()),
      programs_(host_.os.desktop),
      history_(host_.os.guard),
      notice_({runtime_, state_, host_.os.shell, registry_, [this] { waitEvents(); }, [this] { return ended_; }}),
      frmPassword_([this] {
        return std::make_unique<FrmPassword>(runtime_, *this,
                                             FrmPassword::Parts{host_.version, subsystems_->masterPassword,
                                                                *passwordThrottle_, history_, *passwordRequests_,
                                                                host_.os.desktop, registry_});
      }),
      frmBlank_([this] { return std::make_unique<FrmBlank>(runtime_, subsystems_->lockGuard); }),
      frmLock_([this] {
        return std::make_unique<FrmLock>(runtime_, *this, subsystems_->lockList, host_.os.desktop, programs_);
      }),
      frmIgnore_([this] { return std::make_unique<FrmIgnore>(runtime_, *this, subsystems_->ignoreList); }),
      frmInput_([this] { return std::make_unique<FrmInput>(runtime_); }),
      frmCrypt_([this] { return std::make_unique<FrmCrypt>(runtime_, state_.EncryptionBusy); }),
      frmHistory_([this] {
        return std::make_unique<FrmHistory>(*this, FrmHistory::Parts{runtime_, host_.os, history_});
      }) {
  registry_.manage(&managed_);
  runtime_.onHandlerError = [this](const std::string& description) { reportHandlerError(description); };
  runtime_.doEvents = [this] {
    if (host_.doEvents) host_.doEvents();
  };
  frmConfig_ = std::make_unique<FrmConfig>(*this);
  subsystems_ = std::make_unique<Subsystems>(*this, *frmConfig_);
  passwordRequests_ =
      std::make_unique<PasswordRequests>(*this, PasswordRequests::Parts{subsystems_->masterPassword, history_, programs_});
  passwordThrottle_ = std::make_unique<PasswordThrottle>(host_.os.guard, registry_, host_.os.clock);
}

App::~App() = default;

FrmError& App::frmError() { return notice_.window(); }
FrmError* App::openNotice() { return notice_.open(); }
FrmPassword& App::frmPassword() { return frmPassword_.get(); }
FrmPassword* App::openPassword() { return frmPassword_.peek(); }
FrmBlank& App::frmBlank() { return frmBlank_.get(); }
FrmBlank* App::openBlank() { return frmBlank_.peek(); }
FrmLock& App::frmLock() { return frmLock_.get(); }
FrmLock* App::openLock() { return frmLock_.peek(); }
FrmIgnore& App::frmIgnore() { return frmIgnore_.get(); }
FrmIgnore* App::openIgnore() { return frmIgnore_.peek(); }
FrmInput* App::openInput() { return frmInput_.peek(); }
FrmCrypt& App::frmCrypt() { return frmCrypt_.get(); }
FrmCrypt* App::openCrypt() { return frmCrypt_.peek(); }
FrmHistory& App::frmHistory() { return frmHistory_.get(); }
FrmHistory* App::openHistory() { return frmHistory_.peek(); }

void App::start() { frmConfig_->load(); }

void App::requestPassword(PasswordRequest request) { passwordRequests_->requestPassword(std::move(request)); }
void App::leavePasswordPending(PasswordRequest request) { passwordRequests_->leavePending(std::move(request)); }
void App::requestConfiguration(std::optional<std::string> title) {
  passwordRequests_->requestConfiguration(std::move(title));
}

bool App::askConfigPassword() { return passwordRequests_->askConfigPassword(); }
void App::showTaskPicker() { frmLock().show(); }
void App::offerSubfolderOption() { frmPassword().chksubfolders.setVisible(true); }
void App::showIgnoreWindow() { frmIgnore().show(); }

bool App::promptAsksForAnother(platform::WindowHandle window) const {
  const FrmPassword* prompt = frmPassword_.peek();
  return prompt && prompt->visible() && passwordRequests_->pending().PendingWindow != window;
}
platform::WindowHandle App::watchedForeground() const {
  return subsystems_->foregroundWatcher.capture().ForegroundWindow;
}
bool App::computerLocked() const { return subsystems_->computerLock.holds(); }
bool App::keepComputerLockInPlace() { return subsystems_->computerLock.keepInPlace(); }

Releases& App::releases() { return subsystems_->releases; }
LockList& App::lockList() { return subsystems_->lockList; }
IgnoreList& App::ignoreList() { return subsystems_->ignoreList; }
MasterPassword& App::masterPassword() { return subsystems_->masterPassword; }
UninstallCommands& App::uninstall() { return subsystems_->uninstall; }
ComputerLock& App::computerLock() { return subsystems_->computerLock; }
LockGuard& App::lockGuard() { return subsystems_->lockGuard; }
void App::showConfiguration() { frmConfig_->show(); }

void App::exitForGood() {
  history_.record(history::Kind::Exit, "");
  host_.os.guard.tell(guard_channel::Request::Exit);
  End();
}

void App::End() {
  if (ended_) return;
  ended_ = true;
  frmConfig_->halt();
  for (forms::Form* form : std::initializer_list<forms::Form*>{notice_.open(), frmPassword_.peek(), frmBlank_.peek(),
                                                               frmLock_.peek(), frmIgnore_.peek(), frmInput_.peek(),
                                                               frmCrypt_.peek(), frmHistory_.peek()})
    if (form) form->halt();
  // Leave no dead icon behind in the notification area.
  deleteTrayIcon();
  if (host_.quit) host_.quit();
}

void App::showNotice(std::string text) {
  notice_.show(std::move(text));
}

void App::DoEvents() { runtime_.doEvents(); }

void App::collect() {
  notice_.collect();
  frmPassword_.collect();
  frmBlank_.collect();
  frmLock_.collect();
  frmIgnore_.collect();
  frmInput_.collect();
  frmCrypt_.collect();
  frmHistory_.collect();
}

void App::waitEvents() {
  if (host_.waitEvents) host_.waitEvents();
  else DoEvents();
}

void App::addTrayIcon() {
  const std::string tip = "Tessara 7 - " + state_.AppVersion;
  trayOwner_ = frmConfig_->handle();
  trayIconAdded_ = host_.tray.add(trayOwner_, tip) || trayIconAdded_;
}

void App::deleteTrayIcon() {
  if (!trayIconAdded_) return;
  host_.tray.remove(trayOwner_);
  trayIconAdded_ = false;
}

std::string App::askNotice(std::string text) { return notice_.ask(std::move(text)); }

std::optional<std::string> App::inputBox(const std::string& prompt, const std::string& title,
                                         const std::string& suggested) {
  FrmInput& box = frmInput_.get();
  box.ask(prompt, title, suggested);
  // The box object outlives its unloading until collect(), which runs only
  // between the main loop's messages, never inside this wait.
  while (!box.unloaded() && !ended_) waitEvents();
  return box.unloaded() ? box.answer() : std::nullopt;
}

void App::closeInputBox() {
  if (FrmInput* box = frmInput_.peek()) box->cmdCancel_Click();
}

void App::reportHandlerError(const std::string& description) {
  try {
    showNotice(description);
  } catch (...) {
    // The notice itself failed; nothing more can be told.
  }
}

}  // namespace tessara
