#include "tessara7/locking/lock_guard.h"

#include <algorithm>

#include "tessara7/locking/releases.h"

namespace tessara {

LockGuard::LockGuard(Host& host, Parts parts) : host_(host), p_(std::move(parts)) {}

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
  closeUntil_ = p_.clock.nowMs() + CloseSpellMs;
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
  p_.desktop.showWindowAsync(window, platform::SwShow);
  p_.desktop.showWindowAsync(window, platform::SwRestore);
}

void LockGuard::released(platform::WindowHandle window) {
  std::erase_if(held_, [&](const HeldWindow& h) { return h.window == window; });
  schedule();
}

void LockGuard::tmrGuard_Timer() {
  // Held windows first: one that shows itself again is usually also the new
  // foreground, and the watchers would raise the prompt (tens of
  // milliseconds under Wine) before hiding it.
  keepHeldWindowsHidden();
  if (p_.desktop.foregroundWindow() != host_.watchedForeground()) p_.runWatchers();
  if (host_.keepComputerLockInPlace()) watchClosely();
  schedule();
}

bool LockGuard::stillLocked(const HeldWindow& held) const {
  const Releases& releases = p_.releases;
  if (held.request.process) return !releases.processReleased(*held.request.process);
  if (held.request.action == Action::ListedWindow) return !releases.classReleased(held.request.item.value_or(""));
  return !releases.windowReleased(held.window);
}

void LockGuard::keepHeldWindowsHidden() {
  auto& desktop = p_.desktop;
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
    if (!host_.promptAsksForAnother(h.window)) host_.requestPassword(h.request);
    closeUntil_ = p_.clock.nowMs() + CloseSpellMs;
  }
}

void LockGuard::schedule() {
  const bool holding = !held_.empty() || host_.computerLocked();
  std::uint32_t interval = 0;
  if (p_.clock.nowMs() < closeUntil_) interval = CloseIntervalMs;
  else if (holding) interval = HoldIntervalMs;
  if (interval == 0) {
    p_.tmrGuard.setRunning(false);
    return;
  }
  p_.tmrGuard.setInterval(interval);
  p_.tmrGuard.setRunning(true);
}

}  // namespace tessara
