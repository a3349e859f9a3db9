#include "tessara7/history/history_queue.h"

#include <chrono>
#include <ctime>

namespace tessara {
namespace {

// Bounds against a flood (windows opened and closed by a script): events
// beyond them are dropped rather than taking the program's memory.
constexpr std::size_t MaxPending = 1000;
constexpr std::size_t MaxKeptHere = 10000;

std::string utcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &now);
#else
  gmtime_r(&now, &parts);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

}  // namespace

HistoryQueue::HistoryQueue(platform::Guard& guard) : guard_(guard), worker_([this] { work(); }) {}

HistoryQueue::~HistoryQueue() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void HistoryQueue::record(history::Kind kind, std::string detail) {
  {
    const std::lock_guard lock(mutex_);
    if (pending_.size() >= MaxPending) return;
    pending_.emplace_back(kind, std::move(detail));
  }
  changed_.notify_one();
}

void HistoryQueue::flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return pending_.empty() && !sending_; });
}

void HistoryQueue::keepHere(history::Kind kind, std::string detail) {
  if (unsent_.size() >= MaxKeptHere) unsent_.erase(unsent_.begin());
  unsent_.push_back({history::Event{utcNow(), "", 0, kind, history::cleanField(detail)}, true, true});
}

void HistoryQueue::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
    if (pending_.empty()) return;  // stopping, and everything sent
    auto [kind, detail] = std::move(pending_.front());
    pending_.pop_front();
    sending_ = true;
    lock.unlock();
    const bool sent = guard_.record(kind, detail);
    lock.lock();
    sending_ = false;
    serviceAnswered_ = sent;
    if (!sent) keepHere(kind, std::move(detail));
    changed_.notify_all();
  }
}

HistoryQueue::Lines HistoryQueue::lines() {
  flush();
  if (auto entries = guard_.readHistory()) {
    const std::lock_guard lock(mutex_);
    // Lines that found no service earlier in this run stay visible after the service's.
    entries->insert(entries->end(), unsent_.begin(), unsent_.end());
    return {std::move(*entries), unsent_.empty()};
  }
  const std::lock_guard lock(mutex_);
  return {unsent_, false};
}

bool HistoryQueue::clear() {
  flush();
  const std::lock_guard lock(mutex_);
  unsent_.clear();
  if (guard_.clearHistory()) return true;
  keepHere(history::Kind::Cleared, "");
  return true;
}

}  // namespace tessara
