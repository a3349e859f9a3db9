#pragma once
// What the guard may do in each session, apart from how it learns of
// sessions and processes (so that it can be tested without Windows).
//
// A session is guarded unless its program asked to be left ended (the
// guarded Exit, the uninstaller's hand-over) or the session is ending. Left
// alone lasts until a genuine program other than the one that asked is seen
// running there (its owner started it again) or the session logs off and on;
// ending lasts until the next log-on.
#include <cstdint>
#include <map>
#include <optional>

namespace guard {

enum class Mark { Guarded, LeftAlone, Ending };

class SessionBook {
 public:
  using Session = std::uint32_t;
  using ProcessId = std::uint32_t;

  // The program running as `requester` asked to be left ended.
  void leaveAlone(Session session, ProcessId requester) {
    Entry& entry = entries_[session];
    if (entry.mark == Mark::Ending) return;
    entry = {Mark::LeftAlone, requester};
  }
  void sessionEnds(Session session) { entries_[session] = {Mark::Ending, 0}; }
  void logOn(Session session) { entries_.erase(session); }
  void logOff(Session session) { sessionEnds(session); }

  // A genuine program runs in the session as `process`. Seen again after
  // the one that asked, it re-arms the guard.
  void seenRunning(Session session, ProcessId process) {
    const auto found = entries_.find(session);
    if (found == entries_.end() || found->second.mark != Mark::LeftAlone) return;
    if (process != found->second.requester) entries_.erase(found);
  }
  // The process that asked has ended: its id may now be reused by a new
  // copy, which must count as a new program.
  void ended(Session session, ProcessId process) {
    const auto found = entries_.find(session);
    if (found != entries_.end() && found->second.requester == process) found->second.requester = 0;
  }

  // The genuine program announced itself as the session's running copy: it
  // re-arms the guard as seeing it does, and the loop watches it.
  void announce(Session session, ProcessId process) {
    seenRunning(session, process);
    announced_[session] = process;
  }
  std::optional<ProcessId> takeAnnouncement(Session session) {
    const auto found = announced_.find(session);
    if (found == announced_.end()) return std::nullopt;
    const ProcessId process = found->second;
    announced_.erase(found);
    return process;
  }

  Mark mark(Session session) const {
    const auto found = entries_.find(session);
    return found == entries_.end() ? Mark::Guarded : found->second.mark;
  }
  bool mayStart(Session session) const { return mark(session) == Mark::Guarded; }

 private:
  struct Entry {
    Mark mark = Mark::Guarded;
    ProcessId requester = 0;
  };
  std::map<Session, Entry> entries_;
  std::map<Session, ProcessId> announced_;
};

}  // namespace guard
