#pragma once
// What the History window shows of the lines, and the CSV file it exports:
// newest first, one kind or all, and a line whose chain does not hold said
// to be changed.
#include <optional>
#include <string>
#include <vector>

#include "history/history_line.h"

namespace tessara {

inline constexpr const char* ChangedOutside = "Changed or removed outside Tessara";
inline constexpr const char* AllEvents = "All events";

// "All events", then each kind's caption, as the filter lists them.
std::vector<std::string> historyFilterItems();
// The kind of a filter line; nothing for "All events".
std::optional<history::Kind> kindOfFilter(int index);

// The lines of the list, newest first, of one kind or all.
std::vector<std::string> historyRows(const std::vector<history::Entry>& oldestFirst,
                                     std::optional<history::Kind> only);
// A CSV file (UTF-8 with its byte-order mark, CRLF), newest first, of the same lines.
std::string historyCsv(const std::vector<history::Entry>& oldestFirst, std::optional<history::Kind> only);

}  // namespace tessara
