#include "tessara7/locking/lock_guard.h"

#include <algorithm>

#include "tessara7/locking/computer_lock.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/releases.h"
#include "tessara7/shell/app.h"

namespace tessara {

LockGuard::LockGuard(App& app, Parts parts) : app_(app), p_(std::move(parts)) {}

void LockGuard::foregroundMayHaveChanged() {
  p_.runWatchers();
  schedule();
}

void LockGuard::windowAppeared() {
  keepHeldWindowsHidden();
  p_.runWatchers();
  watchClosely();
}

void LockGuard::watchClosely() {
  closeUntil_ = app_.os().clock.nowMs() + CloseSpellMs;
  schedule();
}

void LockGuard::held(PasswordRequest request) {
  const platform::WindowHandle window = request.window;
  const auto known = std::find_if(held_.begin(), held_.end(), [&](const HeldWindow& h) { return h.window == window; });
  if (known == held_.end()) held_.push_back({window, std::move(request)});
  // A program whose window was just locked may show it again at once.
  watchClosely();
}

void LockGuard::showReleased(platform::WindowHandle window) {
  released(window);
  app_.os().desktop.showWindowAsync(window, platform::SwShow);
  app_.os().desktop.showWindowAsync(window, platform::SwRestore);
}

void LockGuard::released(platform::WindowHandle window) {
  std::erase_if(held_, [&](const HeldWindow& h) { return h.window == window; });
  schedule();
}

void LockGuard::tmrGuard_Timer() {
  auto& state = app_.state();
  // Held windows first: one that shows itself again is usually also the new
  // foreground, and the watchers would raise the prompt (tens of
  // milliseconds under Wine) before hiding it.
  keepHeldWindowsHidden();
  if (app_.os().desktop.foregroundWindow() != state.ForegroundWindow) p_.runWatchers();
  if (app_.computerLock().keepInPlace()) watchClosely();
  schedule();
}

bool LockGuard::stillLocked(const HeldWindow& held) const {
  Releases& releases = app_.releases();
  if (held.request.process) return !releases.processReleased(*held.request.process);
  if (held.request.action == Action::ListedWindow) return !releases.classReleased(held.request.item.value_or(""));
  return !releases.windowReleased(held.window);
}

void LockGuard::keepHeldWindowsHidden() {
  auto& desktop = app_.os().desktop;
  auto& state = app_.state();
  const std::vector<HeldWindow> held = held_;
  for (const HeldWindow& h : held) {
    if (!desktop.isWindow(h.window)) {
      released(h.window);
      continue;
    }
    if ((desktop.windowStyle(h.window) & platform::StyleVisible) == 0) continue;
    if (!stillLocked(h)) {
      released(h.window);
      continue;
    }
    // Hidden only: it was minimised when it was locked, and minimising it
    // again first keeps it on the screen longer (under Wine, on a busy
    // machine, three times as long: the lock benchmark's floor rows).
    desktop.showWindowAsync(h.window, platform::SwHide);
    // The prompt asks for it again, unless it is open asking for something else.
    const FrmPassword* prompt = app_.openPassword();
    const bool askingElse = prompt && prompt->visible() && state.PendingWindow != h.window;
    if (!askingElse) app_.requestPassword(h.request);
    closeUntil_ = app_.os().clock.nowMs() + CloseSpellMs;
  }
}

void LockGuard::schedule() {
  const bool holding = !held_.empty() || app_.computerLock().holds();
  std::uint32_t interval = 0;
  if (app_.os().clock.nowMs() < closeUntil_) interval = CloseIntervalMs;
  else if (holding) interval = HoldIntervalMs;
  if (interval == 0) {
    p_.tmrGuard.setRunning(false);
    return;
  }
  p_.tmrGuard.setInterval(interval);
  p_.tmrGuard.setRunning(true);
}

}  // namespace tessara
