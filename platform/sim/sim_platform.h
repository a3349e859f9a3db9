#pragma once
// The simulated platform: the simulations in one owner, for native tests.
#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_guard.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"

namespace platform::sim {

class SimPlatform {
 public:
  SimPlatform() = default;
  // The bundle refers to the members, so the owner never moves.
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  Platform& get() { return bundle_; }

  SimRegistry registry;
  SimDesktop desktop;
  SimShell shell;
  SimFiles files;
  SimClock clock;
  SimGuard guard;

 private:
  Platform bundle_{registry, desktop, shell, files, clock, guard};
};

}  // namespace platform::sim
