#pragma once
// The component's reader and writer threads: from which size a file goes
// through them, and how the caller waits for them (on their condition, its
// own events running about every 10 ms meanwhile, so that its window keeps
// answering).
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tessara::encryption {

// Inputs and outputs from this size on go through worker threads.
constexpr std::uint64_t PipelinedSize = 4u << 20;

// Waits until `condition` holds. `keepWaiting` runs between looks; when it
// says stop and `stoppable` is true, the wait ends early and false is
// returned (a read ahead can be left; a write in progress cannot).
template <typename Condition>
bool waitWithEvents(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, Condition condition,
                    const std::function<bool()>& keepWaiting, bool stoppable) {
  while (!changed.wait_for(lock, std::chrono::milliseconds(10), condition)) {
    lock.unlock();
    const bool go = keepWaiting();
    lock.lock();
    if (!go && stoppable) return false;
  }
  return true;
}

}  // namespace tessara::encryption
