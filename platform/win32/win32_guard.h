#pragma once
// The guard service's channel over its named pipe.
#include "platform/guard.h"

namespace platform::win32 {

class Win32Guard final : public Guard {
 public:
  bool tell(guard_channel::Request request) override;
  std::optional<guard_channel::Tries> readTries() override;
  bool writeTries(const guard_channel::Tries& tries) override;
  bool record(history::Kind kind, const std::string& detail) override;
  std::optional<std::vector<history::Entry>> readHistory() override;
  bool clearHistory() override;
};

}  // namespace platform::win32
