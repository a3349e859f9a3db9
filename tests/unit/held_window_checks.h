#pragma once
// How the lock guard's tests (alone and with the watchers around it) watch a
// held window on the simulated desktop, and what the guard promises them.
#include <cstdint>

#include "platform/sim/sim_platform.h"

namespace tessara::testing {

// What the guard promises, written here so that a changed constant in the
// guard shows as a failure: a window that shows itself again is hidden within
// 10 ms for two seconds after a window event, a lock or a re-show, and within
// 100 ms while a locked window is held after that.
constexpr std::uint64_t kCloseIntervalMs = 10;
constexpr std::uint64_t kHoldIntervalMs = 100;
constexpr std::uint64_t kCloseSpellMs = 2000;

class HeldWindowChecks {
 protected:
  // The fixture's simulated platform; it may be built after this base, since
  // the checks use it only in the tests' bodies.
  explicit HeldWindowChecks(platform::sim::SimPlatform& sim) : sim_(sim) {}

  bool locked(platform::WindowHandle w) { return sim_.desktop.isHidden(w) && sim_.desktop.isMinimised(w); }
  // The window shows itself again as its own program would, without coming to the front.
  void showsItself(platform::WindowHandle w) { sim_.desktop.showWindowAsync(w, platform::SwShowNormal); }
  // The clock advances in steps of 1 ms until the window is hidden; how long that took.
  std::uint64_t msUntilHidden(platform::WindowHandle w, std::uint64_t limit = 1000) {
    std::uint64_t waited = 0;
    while (!sim_.desktop.isHidden(w) && waited < limit) {
      sim_.clock.advance(1);
      ++waited;
    }
    return waited;
  }

 private:
  platform::sim::SimPlatform& sim_;
};

}  // namespace tessara::testing
