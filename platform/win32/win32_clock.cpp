#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <algorithm>

namespace platform::win32 {
namespace {

using Callback = std::shared_ptr<std::function<void()>>;

// The callbacks of one system timer, in the order their timers started.
// Thread timers carry no pointer of ours, only the id SetTimer chose; the
// callbacks are found by that id. One map per thread, as timers are.
struct Members {
  std::vector<std::pair<TimerId, Callback>> callbacks;
};
std::map<UINT_PTR, std::shared_ptr<Members>>& systemTimerMembers() {
  thread_local std::map<UINT_PTR, std::shared_ptr<Members>> map;
  return map;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR systemId, DWORD) {
  const auto found = systemTimerMembers().find(systemId);
  if (found == systemTimerMembers().end()) return;
  // Copies keep the callbacks alive even when one stops its own timer (or
  // another of the same system timer) and so changes the list.
  const std::shared_ptr<Members> members = found->second;
  const auto callbacks = members->callbacks;
  for (const auto& [id, callback] : callbacks) {
    const bool stillThere = std::any_of(members->callbacks.begin(), members->callbacks.end(),
                                        [&](const auto& member) { return member.first == id; });
    if (!stillThere) continue;
    try {
      (*callback)();
    } catch (...) {
      // Nothing may unwind into the system's message dispatch; a handler that
      // failed has already reported what it could.
    }
  }
}

}  // namespace

Win32Clock::~Win32Clock() {
  for (const auto& [systemId, timer] : systemTimers_) {
    KillTimer(nullptr, systemId);
    systemTimerMembers().erase(systemId);
  }
}

TimerId Win32Clock::startTimer(std::uint32_t intervalMs, std::function<void()> onTick) {
  const std::uint64_t now = GetTickCount64();
  auto joined = std::find_if(systemTimers_.begin(), systemTimers_.end(), [&](const auto& entry) {
    return entry.second.interval == intervalMs && now - entry.second.setAt <= JoinWithinMs;
  });
  if (joined == systemTimers_.end()) {
    const UINT_PTR systemId = SetTimer(nullptr, 0, intervalMs, onTimer);
    if (systemId == 0) return 0;
    joined = systemTimers_.insert_or_assign(systemId, SystemTimer{intervalMs, now, {}}).first;
    systemTimerMembers()[systemId] = std::make_shared<Members>();
  }
  const TimerId id = nextId_++;
  joined->second.members.push_back(id);
  systemTimerMembers()[joined->first]->callbacks.emplace_back(id, std::make_shared<std::function<void()>>(std::move(onTick)));
  systemIdOf_[id] = joined->first;
  return id;
}

void Win32Clock::stopTimer(TimerId id) {
  const auto found = systemIdOf_.find(id);
  if (found == systemIdOf_.end()) return;
  const UINT_PTR systemId = found->second;
  systemIdOf_.erase(found);
  SystemTimer& timer = systemTimers_.at(systemId);
  std::erase(timer.members, id);
  if (const auto members = systemTimerMembers().find(systemId); members != systemTimerMembers().end())
    std::erase_if(members->second->callbacks, [id](const auto& member) { return member.first == id; });
  if (!timer.members.empty()) return;
  KillTimer(nullptr, systemId);
  systemTimerMembers().erase(systemId);
  systemTimers_.erase(systemId);
}

std::uint64_t Win32Clock::nowMs() { return GetTickCount64(); }

std::int64_t Win32Clock::wallSeconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const auto ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr std::uint64_t kTicksTo1970 = 116'444'736'000'000'000ULL;  // 100 ns ticks from 1601
  return static_cast<std::int64_t>((ticks - kTicksTo1970) / 10'000'000ULL);
}

}  // namespace platform::win32
