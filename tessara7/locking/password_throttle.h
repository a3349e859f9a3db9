#pragma once
// The price of guessing: wrong master passwords are counted across prompts
// and restarts; from the fifth on, the next try is looked at only after a
// wait that doubles each time. The guard service keeps the count, where the
// user cannot reset it; without the service (a copy run from elsewhere) the
// user's own settings keep it, and the program's memory for the run.
#include <cstdint>

#include "platform/clock.h"
#include "platform/guard.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {

class PasswordThrottle {
 public:
  static constexpr std::uint32_t kFreeTries = 4;        // the fifth wrong one costs a wait
  static constexpr std::int64_t kFirstWaitSeconds = 30;
  static constexpr std::int64_t kLongestWaitSeconds = 3600;

  PasswordThrottle(platform::Guard& guard, RegistryAccess& registry, platform::Clock& clock);

  // Seconds until a typed password is looked at again; 0: now.
  std::int64_t secondsToWait();
  // A wrong master password was typed; returns the wait it costs (0: none).
  std::int64_t wrong();
  // The right one: the count starts over.
  void right();

 private:
  guard_channel::Tries current();
  void store(const guard_channel::Tries& tries);

  platform::Guard& guard_;
  RegistryAccess& registry_;
  platform::Clock& clock_;
  guard_channel::Tries known_;  // never less than what this run has seen
};

}  // namespace tessara
