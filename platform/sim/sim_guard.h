#pragma once
// A simulated guard service: absent until a test installs it, then it keeps
// the count and records what the program told it, and the history events
// (which come from the program's history thread).
#include <mutex>
#include <vector>

#include "platform/guard.h"

namespace platform::sim {

class SimGuard final : public Guard {
 public:
  bool tell(guard_channel::Request request) override {
    if (!installed) return false;
    told.push_back(request);
    return true;
  }
  std::optional<guard_channel::Tries> readTries() override {
    if (!installed) return std::nullopt;
    return tries;
  }
  bool writeTries(const guard_channel::Tries& value) override {
    if (!installed) return false;
    tries = value;
    return true;
  }

  bool record(history::Kind kind, const std::string& detail) override {
    const std::lock_guard lock(mutex_);
    if (!installed) return false;
    events.push_back({"2026-01-01T00:00:00Z", "PC\\owner", 1, kind, history::cleanField(detail)});
    return true;
  }
  std::optional<std::vector<history::Entry>> readHistory() override {
    const std::lock_guard lock(mutex_);
    if (!installed) return std::nullopt;
    std::vector<history::Entry> entries;
    for (const auto& event : events) entries.push_back({event, true, true});
    return entries;
  }
  bool clearHistory() override {
    const std::lock_guard lock(mutex_);
    if (!installed) return false;
    events.assign(1, {"2026-01-01T00:00:00Z", "PC\\owner", 1, history::Kind::Cleared, "by PC\\owner"});
    return true;
  }
  std::vector<history::Event> recorded() const {
    const std::lock_guard lock(mutex_);
    return events;
  }

  // --- for tests ---
  bool installed = false;
  guard_channel::Tries tries;
  std::vector<guard_channel::Request> told;
  std::vector<history::Event> events;  // read with recorded() while the program runs

 private:
  mutable std::mutex mutex_;
};

}  // namespace platform::sim
