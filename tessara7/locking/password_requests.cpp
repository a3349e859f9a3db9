#include "tessara7/locking/password_requests.h"

#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/shell/app.h"
#include "tessara7/common/helpers.h"

namespace tessara {

PasswordRequests::PasswordRequests(App& app, MasterPassword& masterPassword)
    : app_(app), masterPassword_(masterPassword) {}

void PasswordRequests::requestPassword(PasswordRequest request) {
  auto& state = app_.state();
  const Action action = request.action;
  // While the computer lock holds, its prompt is the only one: another
  // request (a watcher's) would take it over, and Cancel on that would close
  // the prompt and the blank screen with it.
  if (FrmBlank* blank = app_.openBlank(); blank && blank->visible() && action != Action::ComputerLock) return;
  const ActionRule& rule = ruleOf(action);
  state.PendingAction = action;
  if (request.title) state.PendingTitle = std::move(*request.title);
  state.PendingWindow = rule.guardsWindow ? request.window : 0;
  state.PendingProcess = rule.guardsWindow ? request.process : std::nullopt;
  if (request.item) state.PendingItem = std::move(*request.item);
  granted_ = std::move(request.granted);
  noteLocked(action, request.window, request.process);
  if (state.Loading) return;  // a load only notes what is pending
  if (state.DialogOpen && !rule.raisedOverDialog) return;
  ShowPWD();
}

// Once per window and action: a watcher asks again at every tick the window
// comes back to the front.
void PasswordRequests::noteLocked(Action action, platform::WindowHandle window,
                                  const std::optional<platform::ProcessKey>& process) {
  if (!ruleOf(action).guardsWindow || window == 0) return;
  const auto& state = app_.state();
  // Windows reuses a closed window's handle: the title tells a new window apart.
  if (window == lastLocked_ && action == lastLockedAction_ && state.PendingTitle == lastLockedTitle_) return;
  lastLocked_ = window;
  lastLockedAction_ = action;
  lastLockedTitle_ = state.PendingTitle;
  std::string detail = "\"" + state.PendingTitle + "\"";
  if (process)
    if (const auto found = app_.programs().of(window); found && found->file) detail += " (" + found->file->fileName + ")";
  app_.history().record(history::Kind::Locked, detail);
}

void PasswordRequests::leavePending(PasswordRequest request) {
  app_.state().PendingAction = request.action;
  granted_ = std::move(request.granted);
}

PasswordRequest PasswordRequests::configurationRequest(std::optional<std::string> title) {
  App& app = app_;
  return {.action = Action::Configuration, .title = std::move(title), .granted = [&app](const PasswordGiven&) {
            app.state().ConfigUnlocked = true;
            app.showConfiguration();
          }};
}

void PasswordRequests::grant(const PasswordGiven& given) {
  // A copy: the operation may ask for the password again, which replaces it.
  const auto granted = granted_;
  if (granted) granted(given);
}

bool PasswordRequests::askConfigPassword() {
  if (app_.state().ConfigUnlocked) return false;
  requestConfiguration(std::nullopt);
  return true;
}

void PasswordRequests::ShowPWD() {
  FrmPassword& prompt = app_.frmPassword();
  auto attempt = [&](auto step) { prompt.fire(step); };  // each step is tried on its own
  // Its words first, so that it never shows for a moment with the last ones.
  attempt([&] {
    prompt.setCaption(masterPassword_.startPasswordTimer() ? "Restrictions - [30 Seconds Remaining]"
                                                           : "Restrictions");
  });
  attempt([&] { prompt.lblProgram.setCaption(app_.state().PendingTitle); });
  // Shown again where it belongs: restored if someone minimised it.
  attempt([&] { prompt.raise(); });
  attempt([&] { SetTopmost(prompt, true); });
  attempt([&] {
    prompt.setFocus(prompt.txtPass);
    prompt.setDefaultButton(prompt.cmdok);
  });
}

}  // namespace tessara
