#include "platform/sim/sim_clock.h"

#include <algorithm>
#include <exception>

namespace platform::sim {
namespace {
constexpr std::uint32_t MinimumInterval = 10;
}

TimerId SimClock::startTimer(std::uint32_t intervalMs, std::function<void()> onTick) {
  const std::uint32_t interval = std::max(intervalMs, MinimumInterval);
  const TimerId id = nextId_++;
  timers_[id] = Timer{interval, now_ + interval, std::make_shared<std::function<void()>>(std::move(onTick))};
  return id;
}

void SimClock::stopTimer(TimerId id) { timers_.erase(id); }

std::uint32_t SimClock::intervalOf(TimerId id) const {
  const auto found = timers_.find(id);
  return found == timers_.end() ? 0 : found->second.interval;
}

void SimClock::advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  for (;;) {
    // The earliest due timer; on a tie the first started, as map order gives.
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= target && (next == timers_.end() || it->second.due < next->second.due))
        next = it;
    if (next == timers_.end()) break;
    now_ = std::max(now_, next->second.due);
    // Rescheduled before the call, so a callback that stops or restarts its
    // own timer sees a consistent state; the shared pointer keeps the
    // callback alive if it is erased meanwhile.
    next->second.due += next->second.interval;
    const auto onTick = next->second.onTick;
    try {
      (*onTick)();
    } catch (const std::exception& error) {
      escapedErrors_.emplace_back(error.what());
    } catch (...) {
      escapedErrors_.emplace_back("unknown exception");
    }
  }
  now_ = std::max(now_, target);
}

}  // namespace platform::sim
