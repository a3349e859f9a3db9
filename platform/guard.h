#pragma once
// The guard service, seen from the main program: the service starts the
// program in every session and brings it back when it ends. The program tells
// it when it ends on purpose, and keeps the wrong-password count with it,
// where the user cannot reset it.
#include <optional>
#include <string>
#include <vector>

#include "shared/guard_channel.h"

namespace platform {

class Guard {
 public:
  virtual ~Guard() = default;
  // Tells the service; false when no service answered (none installed, or a
  // copy run from elsewhere, which the service does not guard) or it refused.
  virtual bool tell(guard_channel::Request request) = 0;
  // The count the service keeps; nothing when no service answered.
  virtual std::optional<guard_channel::Tries> readTries() = 0;
  virtual bool writeTries(const guard_channel::Tries& tries) = 0;

  // The history: an event handed to the service, which stamps and keeps it;
  // every line it keeps, oldest first (nothing when no service answered);
  // and clearing it. Recording may block for a moment: the program calls it
  // from its history queue's own thread, never from a window's.
  virtual bool record(history::Kind kind, const std::string& detail) = 0;
  virtual std::optional<std::vector<history::Entry>> readHistory() = 0;
  virtual bool clearHistory() = 0;
};

}  // namespace platform
