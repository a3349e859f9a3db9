#pragma once
// The guard service's channel. The service (tsrguard) owns a message-mode
// named pipe (names::GuardPipe); the main program connects, writes one
// request and reads one reply. The service answers only the main program it
// guards: a client whose process does not run the installed tessara7.exe in
// its own session is answered Refused and changes nothing. Free of
// windows.h, so that the service, the program and the native tests speak it
// with the same code (the history's lines come from history/).
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_line.h"

namespace guard_channel {

enum class Request {
  Exit,          // the guarded Exit: leave this session's program ended
  HandOver,      // the program ends for the uninstaller
  SessionEnds,   // Windows ends the session: bring nothing back
  ReadTries,     // the wrong-password count and when the next try may come
  WriteTries,    // store them (kept by the service, across restarts)
  Running,       // this process is the session's running copy: watch it
  Record,        // an event for the history
  ReadHistory,   // a page of the history, from the line `from` on (oldest first)
  ClearHistory,  // delete the history, leaving the event that says who cleared it
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
  history::Kind kind = history::Kind::Started;  // Record only
  std::string detail;                           // Record only
  std::uint32_t from = 0;                       // ReadHistory only
};

// A message of a request that carries nothing else.
inline Message only(Request request) {
  Message message;
  message.request = request;
  return message;
}

// The longest request; a reply to ReadHistory may take MaxReplyBytes.
inline constexpr std::size_t MaxBytes = 1024;
inline constexpr std::size_t MaxReplyBytes = 65536;
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
    case Request::Record:
      return "EVENT " + std::string(history::nameOf(message.kind)) + "\t" + history::cleanField(message.detail);
    case Request::ReadHistory: return "HISTORY? " + std::to_string(message.from);
    case Request::ClearHistory: return "CLEAR-HISTORY";
  }
  return {};
}

// Whatever a client wrote; nothing that is not exactly a request.
inline std::optional<Message> decode(std::string_view text) {
  if (text.size() > MaxBytes) return std::nullopt;
  if (text == "EXIT") return only(Request::Exit);
  if (text == "HANDOVER") return only(Request::HandOver);
  if (text == "SESSION-END") return only(Request::SessionEnds);
  if (text == "TRIES?") return only(Request::ReadTries);
  if (text == "RUNNING") return only(Request::Running);
  if (text == "CLEAR-HISTORY") return only(Request::ClearHistory);
  constexpr std::string_view event = "EVENT ";
  if (text.substr(0, event.size()) == event) {
    const std::string_view rest = text.substr(event.size());
    const std::size_t tab = rest.find('\t');
    const auto kind = history::kindNamed(rest.substr(0, tab));
    if (tab == std::string_view::npos || !kind) return std::nullopt;
    Message message = only(Request::Record);
    message.kind = *kind;
    message.detail = history::cleanField(rest.substr(tab + 1));
    return message;
  }
  constexpr std::string_view page = "HISTORY? ";
  if (text.substr(0, page.size()) == page) {
    std::string_view rest = text.substr(page.size());
    Message message = only(Request::ReadHistory);
    if (detail::parseNumber(rest, message.from) && rest.empty()) return message;
    return std::nullopt;
  }
  constexpr std::string_view write = "TRIES ";
  if (text.substr(0, write.size()) == write) {
    if (auto tries = detail::parseTries(text.substr(write.size()))) {
      Message message = only(Request::WriteTries);
      message.tries = *tries;
      return message;
    }
  }
  return std::nullopt;
}

// The reply to ReadTries: "TRIES <count> <notBefore>".
inline std::string encodeTries(const Tries& tries) { return "TRIES " + detail::formatTries(tries); }
inline std::optional<Tries> decodeTries(std::string_view text) {
  constexpr std::string_view prefix = "TRIES ";
  if (text.size() > MaxBytes || text.substr(0, prefix.size()) != prefix) return std::nullopt;
  return detail::parseTries(text.substr(prefix.size()));
}

// The reply to ReadHistory: "HISTORY <total lines>" and a line break, then
// one line per entry: two flags (readable, intact) and the five fields, tab-
// separated. As many entries from `from` on as fit MaxReplyBytes (at least one).
inline std::string encodeHistoryPage(std::size_t total, std::span<const history::Entry> entries, std::size_t& taken) {
  std::string reply = "HISTORY " + std::to_string(total) + "\n";
  taken = 0;
  for (const history::Entry& entry : entries) {
    std::string line;
    line += entry.readable ? '1' : '0';
    line += entry.intact ? '1' : '0';
    line += '\t' + history::lineBody(entry.event) + '\n';
    if (taken > 0 && reply.size() + line.size() > MaxReplyBytes) break;
    reply += line;
    ++taken;
  }
  return reply;
}

struct HistoryPage {
  std::size_t total = 0;
  std::vector<history::Entry> entries;
};
inline std::optional<HistoryPage> decodeHistoryPage(std::string_view text) {
  constexpr std::string_view prefix = "HISTORY ";
  const std::size_t end = text.find('\n');
  if (text.substr(0, prefix.size()) != prefix || end == std::string_view::npos) return std::nullopt;
  std::string_view number = text.substr(prefix.size(), end - prefix.size());
  HistoryPage page;
  if (!detail::parseNumber(number, page.total) || !number.empty()) return std::nullopt;
  text.remove_prefix(end + 1);
  while (!text.empty()) {
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd == std::string_view::npos || lineEnd < 3 || text[2] != '\t') return std::nullopt;
    const std::string_view flags = text.substr(0, 2);
    // The fields parse as a file's line does, with a stand-in MAC.
    auto parsed = history::parseLine(std::string(text.substr(3, lineEnd - 3)) + "\t" + std::string(64, '0'));
    if (!parsed) return std::nullopt;
    page.entries.push_back({std::move(parsed->event), flags[0] == '1', flags[1] == '1'});
    text.remove_prefix(lineEnd + 1);
  }
  return page;
}

}  // namespace guard_channel
