// Thread timers through the message queue: callbacks that stop their own
// timer, callbacks that throw, and a clock that goes away with timers set.
#include "platform/win32/win32_clock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>

namespace {

using platform::win32::Win32Clock;

// Runs the thread's message loop for a while, as the programs' loop would.
void pumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(2);
  }
}

TEST(Win32Clock, TimersTickWhileMessagesArePumped) {
  Win32Clock clock;
  int ticks = 0;
  const auto id = clock.startTimer(10, [&] { ++ticks; });
  EXPECT_NE(id, 0u);
  pumpFor(300);
  EXPECT_GE(ticks, 3);
  clock.stopTimer(id);
  const int stoppedAt = ticks;
  pumpFor(100);
  EXPECT_EQ(ticks, stoppedAt);
}

TEST(Win32Clock, TimerStoppedInsideItsOwnCallbackFiresOnce) {
  Win32Clock clock;
  int ticks = 0;
  platform::TimerId id = 0;
  id = clock.startTimer(10, [&] {
    ++ticks;
    clock.stopTimer(id);
  });
  pumpFor(200);
  EXPECT_EQ(ticks, 1);
}

TEST(Win32Clock, ThrowingCallbackIsContainedAndKeepsTicking) {
  Win32Clock clock;
  int ticks = 0;
  clock.startTimer(10, [&] {
    ++ticks;
    throw std::runtime_error("handler failed");
  });
  pumpFor(200);
  EXPECT_GE(ticks, 2);
}

TEST(Win32Clock, DestroyedClockLeavesNoTimerBehind) {
  int ticks = 0;
  {
    Win32Clock clock;
    clock.startTimer(10, [&] { ++ticks; });
  }
  pumpFor(100);
  EXPECT_EQ(ticks, 0);
}

// The window's timers of one interval, armed together at load, wake the
// program once per interval between them.
TEST(Win32Clock, TimersOfOneIntervalStartedTogetherShareOneSystemTimer) {
  Win32Clock clock;
  int first = 0, second = 0, later = 0;
  const auto a = clock.startTimer(20, [&] { ++first; });
  clock.startTimer(20, [&] { ++second; });
  EXPECT_EQ(clock.systemTimers(), 1u);
  pumpFor(200);
  EXPECT_GE(first, 3);
  EXPECT_EQ(first, second) << "both ride the same system timer";

  Sleep(static_cast<DWORD>(Win32Clock::JoinWithinMs) + 20);
  clock.startTimer(20, [&] { ++later; });
  EXPECT_EQ(clock.systemTimers(), 2u) << "a timer started later keeps its own phase";
  clock.stopTimer(a);
  const int secondBefore = second, firstBefore = first;
  pumpFor(150);
  EXPECT_EQ(first, firstBefore) << "a stopped timer of a shared system timer";
  EXPECT_GT(second, secondBefore) << "the other keeps ticking";
  EXPECT_GE(later, 3);
}

TEST(Win32Clock, NowFollowsTheTickCount) {
  Win32Clock clock;
  const auto before = clock.nowMs();
  Sleep(50);
  const auto after = clock.nowMs();
  // Wine refreshes the tick count from its server's shared page, which may lag by a tick of ~16 ms.
  EXPECT_GE(after - before, 30u);
  EXPECT_LT(after - before, 5000u);
}

}  // namespace
