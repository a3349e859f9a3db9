#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace platform::win32 {
namespace {

using Callback = std::shared_ptr<std::function<void()>>;

// Thread timers carry no pointer of ours, only the id SetTimer chose; the
// callbacks are found by that id. One map per thread, as timers are.
std::map<UINT_PTR, Callback>& callbacks() {
  thread_local std::map<UINT_PTR, Callback> map;
  return map;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR systemId, DWORD) {
  const auto found = callbacks().find(systemId);
  if (found == callbacks().end()) return;
  // A copy of the pointer keeps the callback alive even when it stops its
  // own timer and so erases the map entry.
  const Callback callback = found->second;
  try {
    (*callback)();
  } catch (...) {
    // Nothing may unwind into the system's message dispatch; a handler that
    // failed has already reported what it could.
  }
}

}  // namespace

Win32Clock::~Win32Clock() {
  for (const auto& [id, systemId] : systemIds_) {
    KillTimer(nullptr, systemId);
    callbacks().erase(systemId);
  }
}

TimerId Win32Clock::startTimer(std::uint32_t intervalMs, std::function<void()> onTick) {
  const UINT_PTR systemId = SetTimer(nullptr, 0, intervalMs, onTimer);
  if (systemId == 0) return 0;
  callbacks()[systemId] = std::make_shared<std::function<void()>>(std::move(onTick));
  const TimerId id = nextId_++;
  systemIds_[id] = systemId;
  return id;
}

void Win32Clock::stopTimer(TimerId id) {
  const auto found = systemIds_.find(id);
  if (found == systemIds_.end()) return;
  KillTimer(nullptr, found->second);
  callbacks().erase(found->second);
  systemIds_.erase(found);
}

std::uint64_t Win32Clock::nowMs() { return GetTickCount64(); }

}  // namespace platform::win32
