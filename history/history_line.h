#pragma once
// The history file's lines: UTF-8, one event a line, tab-separated
//   time  user  session  event  detail  MAC
// where MAC is the hexadecimal HMAC-SHA256, under the service's secret, of
// the MAC of the line before (32 zero bytes for the first line of a history)
// followed by the line's first five fields. A changed line fails its own
// check; a removed line fails the check of the one after it.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "history/history_event.h"

namespace history {

using Mac = std::array<std::uint8_t, 32>;
inline constexpr Mac ChainStart{};

// The first five fields of the line, without the MAC and the line break.
std::string lineBody(const Event& event);
// The MAC of a line whose body is `body`, after the line whose MAC is `previous`.
std::optional<Mac> chainMac(std::span<const std::uint8_t> key, const Mac& previous, std::string_view body);
// The whole line, without its line break; `mac` receives the line's MAC.
std::optional<std::string> formatLine(const Event& event, std::span<const std::uint8_t> key, const Mac& previous,
                                      Mac& mac);

struct ParsedLine {
  Event event;
  std::string body;
  Mac mac{};
};
// A line as written by formatLine, or nothing.
std::optional<ParsedLine> parseLine(std::string_view line);

// One line as the History window shows it.
struct Entry {
  Event event;
  bool readable = true;  // false: `event.detail` holds the line as it stands
  bool intact = true;    // the chain holds for this line
};

// Checks lines in the order they were written.
class ChainCheck {
 public:
  // `firstMayFollowLost`: the first line may follow lines rolled away, so
  // its link to them cannot be checked.
  ChainCheck(std::span<const std::uint8_t> key, bool firstMayFollowLost) : key_(key), lenient_(firstMayFollowLost) {}
  Entry next(std::string_view line);

 private:
  std::span<const std::uint8_t> key_;
  bool lenient_;
  Mac previous_ = ChainStart;
  bool first_ = true;
  bool previousKnown_ = true;
};

}  // namespace history
