#pragma once
// The history file and its rolled-over predecessors in one folder:
// history.log, then history.1.log (the newest rolled) to history.4.log. A
// line that would take history.log past RollBytes first rolls the files
// over; the oldest goes. The chain runs on across the files.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "history/history_line.h"

namespace history {

inline constexpr std::uint64_t RollBytes = 1u << 20;
inline constexpr int KeptRolled = 4;
inline constexpr const char* FileName = "history.log";

class HistoryLog {
 public:
  // `makeFile` creates an empty file at a path (with the access the caller
  // wants it to have), true when it did; it runs before a new file is used.
  HistoryLog(std::filesystem::path folder, std::vector<std::uint8_t> key,
             std::function<bool(const std::filesystem::path&)> makeFile);

  // Appends the event as one line and flushes it; false when it was not written.
  bool append(const Event& event);
  // Every line kept, oldest first, each with whether its chain holds.
  std::vector<Entry> read() const;
  // Deletes every file and starts a new history with `event`.
  bool clear(const Event& event);

  std::filesystem::path pathOf(int rolled) const;

 private:
  bool open();
  bool rollOver();

  std::filesystem::path folder_;
  std::vector<std::uint8_t> key_;
  std::function<bool(const std::filesystem::path&)> makeFile_;
  std::ofstream out_;
  std::uint64_t size_ = 0;
  Mac previous_ = ChainStart;
  bool tailRead_ = false;
};

}  // namespace history
