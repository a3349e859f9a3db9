#pragma once
// One event of the history: what happened, to whom and when. The kinds are
// written to the file by their names, which stay as they are once shipped:
// older files keep being read by newer programs.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace history {

enum class Kind {
  Locked,            // a window was locked
  PasswordRight,     // the prompt was answered with the right password
  PasswordWrong,     // ... with a wrong one
  Lockout,           // too many wrong passwords: the prompt waits
  ComputerLocked,
  ComputerUnlocked,
  Exit,              // the guarded Exit
  Apply,
  Encryption,        // an encryption or decryption run
  Export,
  Import,
  Uninstall,         // the program ended for the uninstaller
  Started,           // the program started
  Restarted,         // the program ended without Exit and the guard started it again
  Cleared,           // the history was cleared
};

struct KindInfo {
  Kind kind;
  std::string_view name;     // in the file and on the channel
  std::string_view caption;  // in the History window and the CSV file
  bool warning;              // reported to the event log as a warning
};

inline constexpr std::array<KindInfo, 15> Kinds{{
    {Kind::Locked, "Locked", "Window locked", false},
    {Kind::PasswordRight, "PasswordRight", "Password right", false},
    {Kind::PasswordWrong, "PasswordWrong", "Password wrong", true},
    {Kind::Lockout, "Lockout", "Too many wrong passwords", true},
    {Kind::ComputerLocked, "ComputerLocked", "Computer locked", false},
    {Kind::ComputerUnlocked, "ComputerUnlocked", "Computer unlocked", false},
    {Kind::Exit, "Exit", "Exit", false},
    {Kind::Apply, "Apply", "Settings applied", false},
    {Kind::Encryption, "Encryption", "Encryption", false},
    {Kind::Export, "Export", "Export", false},
    {Kind::Import, "Import", "Import", false},
    {Kind::Uninstall, "Uninstall", "Uninstall", false},
    {Kind::Started, "Started", "Program started", false},
    {Kind::Restarted, "Restarted", "Ended without Exit, started again", true},
    {Kind::Cleared, "Cleared", "History cleared", false},
}};

inline const KindInfo& infoOf(Kind kind) { return Kinds[static_cast<std::size_t>(kind)]; }
inline std::string_view nameOf(Kind kind) { return infoOf(kind).name; }
inline std::optional<Kind> kindNamed(std::string_view name) {
  for (const KindInfo& info : Kinds)
    if (info.name == name) return info.kind;
  return std::nullopt;
}

struct Event {
  std::string time;     // UTC, ISO 8601: 2026-12-09T23:15:24Z
  std::string user;     // DOMAIN\name
  std::uint32_t session = 0;
  Kind kind = Kind::Started;
  std::string detail;
  bool operator==(const Event&) const = default;
};

// The longest detail kept, in bytes; a longer one is cut at a character's start.
inline constexpr std::size_t MaxDetailBytes = 480;

// A field as it may stand in a line: control characters (tabs and line
// breaks among them) become blanks, and a detail is cut to its limit.
std::string cleanField(std::string_view text, std::size_t maxBytes = MaxDetailBytes);

}  // namespace history
