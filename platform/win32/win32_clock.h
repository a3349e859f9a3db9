#pragma once
// Timers on the calling thread's message queue (WM_TIMER through a timer
// procedure); they tick while the thread pumps messages. Timers of the same
// interval started within a few milliseconds of each other (the window's
// timers when it loads) share one system timer: under Wine every wake-up of
// the program costs far more than the handlers it runs.
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/clock.h"

namespace platform::win32 {

class Win32Clock final : public Clock {
 public:
  Win32Clock() = default;
  Win32Clock(const Win32Clock&) = delete;
  Win32Clock& operator=(const Win32Clock&) = delete;
  ~Win32Clock() override;

  // A timer joins a system timer of its interval set at most this long ago;
  // its first tick comes at most this much early.
  static constexpr std::uint64_t JoinWithinMs = 15;

  TimerId startTimer(std::uint32_t intervalMs, std::function<void()> onTick) override;
  void stopTimer(TimerId id) override;
  std::uint64_t nowMs() override;
  std::int64_t wallSeconds() override;

  // How many system timers the clock holds (for tests).
  std::size_t systemTimers() const { return systemTimers_.size(); }

 private:
  struct SystemTimer {
    std::uint32_t interval;
    std::uint64_t setAt;
    std::vector<TimerId> members;
  };
  std::map<std::uintptr_t, SystemTimer> systemTimers_;  // by SetTimer's id
  std::map<TimerId, std::uintptr_t> systemIdOf_;
  TimerId nextId_ = 1;
};

}  // namespace platform::win32
