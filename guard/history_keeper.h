#pragma once
// The service's side of the history: it stamps each event with the time,
// the user and the session, appends it to history.log in Tessara's data
// folder (Administrators and SYSTEM only), keyed by a secret only SYSTEM
// can read, and reports it to the Application event log under "Tessara".
// The channel thread and the guard loop both record; one lock keeps the
// lines in the order received.
#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "history/history_log.h"

namespace guard {

class HistoryKeeper {
 public:
  // An event of a process (its user and session), or of a session (its user).
  bool recordFor(DWORD processId, history::Kind kind, const std::string& detail);
  bool recordForSession(DWORD session, history::Kind kind, const std::string& detail);
  // The reply to a page request; the lines are read afresh when `from` is 0.
  std::string page(std::uint32_t from);
  bool clear(DWORD processId);

 private:
  bool record(history::Event event);
  history::HistoryLog* log();

  std::mutex mutex_;
  std::unique_ptr<history::HistoryLog> log_;
  std::vector<history::Entry> pageCache_;
};

// The event source in the Application log: made by /install, taken away by /remove.
DWORD registerEventSource(const std::wstring& messageFile);
DWORD removeEventSource();

}  // namespace guard
