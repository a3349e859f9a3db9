#pragma once
// Virtual time for native tests: nothing happens until a test advances the
// clock, and then every due timer fires in time order.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace platform::sim {

class SimClock final : public Clock {
 public:
  explicit SimClock(std::uint64_t startMs = 0) : now_(startMs) {}

  // Intervals below 10 ms run at 10 ms, the system's minimum.
  TimerId startTimer(std::uint32_t intervalMs, std::function<void()> onTick) override;
  void stopTimer(TimerId id) override;
  std::uint64_t nowMs() override { return now_; }
  // Wall time moves with the virtual clock from a fixed day.
  std::int64_t wallSeconds() override { return kWallStart + static_cast<std::int64_t>(now_ / 1000); }
  static constexpr std::int64_t kWallStart = 1'800'000'000;

  // --- for tests ---
  // Moves time forward by ms. Each timer fires once for every whole interval
  // that fits, at its due time; timers due at the same moment fire in the
  // order they were started. Timers started or stopped by a callback take
  // part from that moment on. A callback may advance the clock itself.
  void advance(std::uint64_t ms);
  bool isRunning(TimerId id) const { return timers_.contains(id); }
  std::size_t runningTimers() const { return timers_.size(); }
  std::uint32_t intervalOf(TimerId id) const;  // 0 when not running
  // What escaped callbacks; like the real clock, the sim does not let an
  // exception leave a timer callback.
  const std::vector<std::string>& escapedErrors() const { return escapedErrors_; }

 private:
  struct Timer {
    std::uint32_t interval;
    std::uint64_t due;
    std::shared_ptr<std::function<void()>> onTick;
  };
  std::uint64_t now_;
  TimerId nextId_ = 1;
  std::map<TimerId, Timer> timers_;  // ids grow, so id order is start order
  std::vector<std::string> escapedErrors_;
};

}  // namespace platform::sim
