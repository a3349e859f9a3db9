#include "tessara7/history/history_view.h"

namespace tessara {
namespace {

bool shown(const history::Entry& entry, std::optional<history::Kind> only) {
  // A line that cannot be read has no kind: it is shown whatever the filter.
  return !only || !entry.readable || entry.event.kind == *only;
}

std::string csvField(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

}  // namespace

std::vector<std::string> historyFilterItems() {
  std::vector<std::string> items{AllEvents};
  for (const history::KindInfo& info : history::Kinds) items.emplace_back(info.caption);
  return items;
}

std::optional<history::Kind> kindOfFilter(int index) {
  if (index <= 0 || index > static_cast<int>(history::Kinds.size())) return std::nullopt;
  return history::Kinds[static_cast<std::size_t>(index - 1)].kind;
}

std::vector<std::string> historyRows(const std::vector<history::Entry>& oldestFirst,
                                     std::optional<history::Kind> only) {
  std::vector<std::string> rows;
  for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it) {
    if (!shown(*it, only)) continue;
    const history::Event& event = it->event;
    std::string row = it->intact ? "" : std::string(ChangedOutside) + ":  ";
    if (!it->readable) {
      rows.push_back(row + event.detail);
      continue;
    }
    row += event.time + "   " + event.user + " (session " + std::to_string(event.session) + ")   " +
           std::string(history::infoOf(event.kind).caption);
    if (!event.detail.empty()) row += ":  " + event.detail;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string historyCsv(const std::vector<history::Entry>& oldestFirst, std::optional<history::Kind> only) {
  std::string csv = "\xEF\xBB\xBFTime,User,Session,Event,Detail,Chain\r\n";
  for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it) {
    if (!shown(*it, only)) continue;
    const history::Event& event = it->event;
    const std::string kind = it->readable ? std::string(history::infoOf(event.kind).caption) : "";
    csv += csvField(event.time) + ',' + csvField(event.user) + ',' + std::to_string(event.session) + ',' +
           csvField(kind) + ',' + csvField(event.detail) + ',' + csvField(it->intact ? "holds" : ChangedOutside) +
           "\r\n";
  }
  return csv;
}

}  // namespace tessara
