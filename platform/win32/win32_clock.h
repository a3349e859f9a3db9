#pragma once
// Timers on the calling thread's message queue (WM_TIMER through a timer
// procedure); they tick while the thread pumps messages.
#include <functional>
#include <map>
#include <memory>

#include "platform/clock.h"

namespace platform::win32 {

class Win32Clock final : public Clock {
 public:
  Win32Clock() = default;
  Win32Clock(const Win32Clock&) = delete;
  Win32Clock& operator=(const Win32Clock&) = delete;
  ~Win32Clock() override;

  TimerId startTimer(std::uint32_t intervalMs, std::function<void()> onTick) override;
  void stopTimer(TimerId id) override;
  std::uint64_t nowMs() override;

 private:
  std::map<TimerId, std::uintptr_t> systemIds_;  // our id -> SetTimer's id
  TimerId nextId_ = 1;
};

}  // namespace platform::win32
