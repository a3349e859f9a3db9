#pragma once
// Timers on the program's one thread. The real clock is the message loop's
// WM_TIMER; the simulated one is advanced by tests.
#include <cstdint>
#include <functional>

namespace platform {

using TimerId = std::uint32_t;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimerId startTimer(std::uint32_t intervalMs, std::function<void()> onTick) = 0;
  virtual void stopTimer(TimerId id) = 0;
  virtual std::uint64_t nowMs() = 0;
  // Seconds since 1970 (UTC): time that survives the program's restarts.
  virtual std::int64_t wallSeconds() = 0;
};

}  // namespace platform
