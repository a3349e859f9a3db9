#pragma once
// A simulated guard service: absent until a test installs it, then it keeps
// the count and records what the program told it.
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

  // --- for tests ---
  bool installed = false;
  guard_channel::Tries tries;
  std::vector<guard_channel::Request> told;
};

}  // namespace platform::sim
