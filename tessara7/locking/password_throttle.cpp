#include "tessara7/locking/password_throttle.h"

#include <algorithm>

#include "tessara7/settings/store_keys.h"

namespace tessara {

namespace {
// The fallback without the service, in the user's own settings.
constexpr const char* kTriesValue = "PasswordTries";

guard_channel::Tries later(const guard_channel::Tries& a, const guard_channel::Tries& b) {
  return {std::max(a.count, b.count), std::max(a.notBefore, b.notBefore)};
}
}  // namespace

PasswordThrottle::PasswordThrottle(platform::Guard& guard, RegistryAccess& registry, platform::Clock& clock)
    : guard_(guard), registry_(registry), clock_(clock) {}

guard_channel::Tries PasswordThrottle::current() {
  std::optional<guard_channel::Tries> stored = guard_.readTries();
  if (!stored) {
    const std::string text = registry_.GetStringValue(platform::Root::User, keys::Settings, kTriesValue);
    stored = guard_channel::decodeTries("TRIES " + text);
  }
  // Memory wins over a store someone emptied during the run.
  known_ = later(known_, stored.value_or(guard_channel::Tries{}));
  return known_;
}

void PasswordThrottle::store(const guard_channel::Tries& tries) {
  known_ = tries;
  if (guard_.writeTries(tries)) return;
  registry_.SaveStringValue(platform::Root::User, keys::Settings, kTriesValue,
                            std::to_string(tries.count) + " " + std::to_string(tries.notBefore));
}

std::int64_t PasswordThrottle::secondsToWait() {
  const std::int64_t now = clock_.wallSeconds();
  const guard_channel::Tries tries = current();
  // A clock set back must not stretch a wait beyond its longest.
  return std::clamp<std::int64_t>(tries.notBefore - now, 0, kLongestWaitSeconds);
}

std::int64_t PasswordThrottle::wrong() {
  guard_channel::Tries tries = current();
  ++tries.count;
  std::int64_t wait = 0;
  if (tries.count > kFreeTries) {
    const std::uint32_t doublings = std::min<std::uint32_t>(tries.count - kFreeTries - 1, 16);
    wait = std::min(kFirstWaitSeconds << doublings, kLongestWaitSeconds);
  }
  tries.notBefore = wait > 0 ? clock_.wallSeconds() + wait : 0;
  store(tries);
  return wait;
}

void PasswordThrottle::right() {
  if (current() == guard_channel::Tries{}) return;
  known_ = {};
  store({});
}

}  // namespace tessara
