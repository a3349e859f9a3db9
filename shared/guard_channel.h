#pragma once
// The guard service's channel. The service (tsrguard) owns a message-mode
// named pipe (names::GuardPipe); the main program connects, writes one
// request and reads one reply. The service answers only the main program it
// guards: a client whose process does not run the installed tessara7.exe in
// its own session is answered Refused and changes nothing. Header-only and
// free of windows.h, so that the service, the program and the native tests
// speak it with the same code.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace guard_channel {

enum class Request {
  Exit,          // the guarded Exit: leave this session's program ended
  HandOver,      // the program ends for the uninstaller
  SessionEnds,   // Windows ends the session: bring nothing back
  ReadTries,     // the wrong-password count and when the next try may come
  WriteTries,    // store them (kept by the service, across restarts)
  Running,       // this process is the session's running copy: watch it
};

// Wrong master passwords in a row, and the earliest time (seconds since
// 1970, UTC) at which the next try is looked at.
struct Tries {
  std::uint32_t count = 0;
  std::int64_t notBefore = 0;
  bool operator==(const Tries&) const = default;
};

struct Message {
  Request request = Request::ReadTries;
  Tries tries;  // WriteTries only
};

inline constexpr std::size_t MaxBytes = 128;
inline constexpr std::string_view Ok = "OK";
inline constexpr std::string_view Refused = "REFUSED";

namespace detail {
inline bool parseNumber(std::string_view& text, auto& out) {
  const auto* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, out);
  if (error != std::errc() || next == text.data()) return false;
  text.remove_prefix(static_cast<std::size_t>(next - text.data()));
  return true;
}
// "<count> <notBefore>" and nothing else.
inline std::optional<Tries> parseTries(std::string_view text) {
  Tries tries;
  if (!parseNumber(text, tries.count) || text.empty() || text.front() != ' ') return std::nullopt;
  text.remove_prefix(1);
  if (!parseNumber(text, tries.notBefore) || !text.empty() || tries.notBefore < 0) return std::nullopt;
  return tries;
}
inline std::string formatTries(const Tries& tries) {
  return std::to_string(tries.count) + " " + std::to_string(tries.notBefore);
}
}  // namespace detail

inline std::string encode(const Message& message) {
  switch (message.request) {
    case Request::Exit: return "EXIT";
    case Request::HandOver: return "HANDOVER";
    case Request::SessionEnds: return "SESSION-END";
    case Request::ReadTries: return "TRIES?";
    case Request::WriteTries: return "TRIES " + detail::formatTries(message.tries);
    case Request::Running: return "RUNNING";
  }
  return {};
}

// Whatever a client wrote; nothing that is not exactly a request.
inline std::optional<Message> decode(std::string_view text) {
  if (text.size() > MaxBytes) return std::nullopt;
  if (text == "EXIT") return Message{Request::Exit, {}};
  if (text == "HANDOVER") return Message{Request::HandOver, {}};
  if (text == "SESSION-END") return Message{Request::SessionEnds, {}};
  if (text == "TRIES?") return Message{Request::ReadTries, {}};
  if (text == "RUNNING") return Message{Request::Running, {}};
  constexpr std::string_view write = "TRIES ";
  if (text.substr(0, write.size()) == write)
    if (auto tries = detail::parseTries(text.substr(write.size()))) return Message{Request::WriteTries, *tries};
  return std::nullopt;
}

// The reply to ReadTries: "TRIES <count> <notBefore>".
inline std::string encodeTries(const Tries& tries) { return "TRIES " + detail::formatTries(tries); }
inline std::optional<Tries> decodeTries(std::string_view text) {
  constexpr std::string_view prefix = "TRIES ";
  if (text.size() > MaxBytes || text.substr(0, prefix.size()) != prefix) return std::nullopt;
  return detail::parseTries(text.substr(prefix.size()));
}

}  // namespace guard_channel
