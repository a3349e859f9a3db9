#pragma once
// The guard service, seen from the main program: the service starts the
// program in every session and brings it back when it ends. The program tells
// it when it ends on purpose, and keeps the wrong-password count with it,
// where the user cannot reset it.
#include <optional>

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
};

}  // namespace platform
