#include "tessara7/encryption/command_runner.h"

#include <utility>

namespace tessara {

void CommandRunner::queue(const encryption::ExplorerRequest& request) {
  for (const std::string& path : request.paths) waiting_.push_back({request.verb, path, request.password});
}

void CommandRunner::Timer1_Timer() {
  target_.stopIfAsked();
  // This tick may come from within a run's pause for events.
  if (target_.running() || waiting_.empty()) return;
  Command next = std::move(waiting_.front());
  waiting_.pop_front();
  target_.run(std::move(next));
}

}  // namespace tessara
