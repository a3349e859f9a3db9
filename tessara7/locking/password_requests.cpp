#include "tessara7/locking/password_requests.h"

#include "tessara7/common/helpers.h"
#include "tessara7/history/history_queue.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/program_entries.h"

namespace tessara {

PasswordRequests::PasswordRequests(Host& host, Parts parts) : host_(host), p_(parts) {}

void PasswordRequests::requestPassword(PasswordRequest request) {
  const Action action = request.action;
  // While the computer lock holds, its prompt is the only one: another
  // request (a watcher's) would take it over, and Cancel on that would close
  // the prompt and the blank screen with it.
  if (host_.computerLocked() && action != Action::ComputerLock) return;
  const ActionRule& rule = ruleOf(action);
  pending_.PendingAction = action;
  if (request.title) pending_.PendingTitle = std::move(*request.title);
  pending_.PendingWindow = rule.guardsWindow ? request.window : 0;
  pending_.PendingProcess = rule.guardsWindow ? request.process : std::nullopt;
  if (request.item) pending_.PendingItem = std::move(*request.item);
  granted_ = std::move(request.granted);
  noteLocked(action, request.window, request.process);
  if (host_.loading()) return;  // a load only notes what is pending
  if (session_.DialogOpen && !rule.raisedOverDialog) return;
  ShowPWD();
}

// Once per window and action: a watcher asks again at every tick the window
// comes back to the front.
void PasswordRequests::noteLocked(Action action, platform::WindowHandle window,
                                  const std::optional<platform::ProcessKey>& process) {
  if (!ruleOf(action).guardsWindow || window == 0) return;
  // Windows reuses a closed window's handle: the title tells a new window apart.
  if (window == lastLocked_ && action == lastLockedAction_ && pending_.PendingTitle == lastLockedTitle_) return;
  lastLocked_ = window;
  lastLockedAction_ = action;
  lastLockedTitle_ = pending_.PendingTitle;
  std::string detail = "\"" + pending_.PendingTitle + "\"";
  if (process)
    if (const auto found = p_.programs.of(window); found && found->file) detail += " (" + found->file->fileName + ")";
  p_.history.record(history::Kind::Locked, detail);
}

void PasswordRequests::leavePending(PasswordRequest request) {
  pending_.PendingAction = request.action;
  granted_ = std::move(request.granted);
}

PasswordRequest PasswordRequests::configurationRequest(std::optional<std::string> title) {
  return {.action = Action::Configuration, .title = std::move(title), .granted = [this](const PasswordGiven&) {
            session_.ConfigUnlocked = true;
            host_.showConfiguration();
          }};
}

void PasswordRequests::grant(const PasswordGiven& given) {
  // A copy: the operation may ask for the password again, which replaces it.
  const auto granted = granted_;
  if (granted) granted(given);
}

bool PasswordRequests::askConfigPassword() {
  if (session_.ConfigUnlocked) return false;
  requestConfiguration(std::nullopt);
  return true;
}

void PasswordRequests::ShowPWD() {
  FrmPassword& prompt = host_.frmPassword();
  auto attempt = [&](auto step) { prompt.fire(step); };  // each step is tried on its own
  // Its words first, so that it never shows for a moment with the last ones.
  attempt([&] {
    prompt.setCaption(p_.masterPassword.startPasswordTimer() ? "Restrictions - [30 Seconds Remaining]"
                                                             : "Restrictions");
  });
  attempt([&] { prompt.lblProgram.setCaption(pending_.PendingTitle); });
  // Shown again where it belongs: restored if someone minimised it.
  attempt([&] { prompt.raise(); });
  attempt([&] { SetTopmost(prompt, true); });
  attempt([&] {
    prompt.setFocus(prompt.txtPass);
    prompt.setDefaultButton(prompt.cmdok);
  });
}

}  // namespace tessara
