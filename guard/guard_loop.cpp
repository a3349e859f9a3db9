#include "guard/guard_loop.h"

#include <algorithm>
#include <map>
#include <vector>

#include "guard/event_log.h"
#include "guard/user_process.h"

namespace guard {
namespace {

// How often sessions are looked at again when nothing wakes the loop: a new
// log-on, a program started elsewhere, a failed start that may now succeed.
constexpr DWORD kPollMs = 500;

bool hasEnded(const UserProcess& process) { return WaitForSingleObject(process.handle.get(), 0) != WAIT_TIMEOUT; }

class Guard {
 public:
  Guard(GuardState& state, HistoryKeeper& history, std::wstring program)
      : state_(state), history_(history), program_(std::move(program)) {}

  void run() {
    while (!state_.stopping()) {
      forgetEnded();
      for (const DWORD session : activeSessions()) keep(session);
      waitForChange();
    }
  }

 private:
  void forgetEnded() {
    for (auto it = watched_.begin(); it != watched_.end();) {
      if (!hasEnded(it->second)) {
        ++it;
        continue;
      }
      const DWORD session = it->first, id = it->second.id;
      const Mark mark = state_.update([&](SessionBook& book) {
        book.ended(session, id);
        return book.mark(session);
      });
      if (mark == Mark::Guarded) endedUnguarded_.insert_or_assign(session, id);
      it = watched_.erase(it);
    }
  }

  // Waits on the program of the session: the copy that announced itself as
  // the session's running one (at its start, or when a new copy asked it), or
  // else one started here. A process merely running the program file proves
  // nothing: a user could start one suspended, to be watched in place of the
  // copy that locks.
  void keep(DWORD session) {
    if (const auto announced = state_.update([&](SessionBook& book) { return book.takeAnnouncement(session); }))
      if (auto process = openRunning(*announced)) {
        watched_.insert_or_assign(session, std::move(*process));
        return;
      }
    if (watched_.contains(session)) return;
    if (state_.stopping() || !state_.read([&](const SessionBook& book) { return book.mayStart(session); })) return;
    StartResult started = startInSession(program_, session);
    if (started.process) {
      failures_.erase(session);
      if (const auto ended = endedUnguarded_.find(session); ended != endedUnguarded_.end()) {
        history_.recordForSession(session, history::Kind::Restarted,
                                  "process " + std::to_string(ended->second) + " ended without Exit");
        endedUnguarded_.erase(ended);
      }
      watched_.emplace(session, std::move(*started.process));
    } else if (failures_[session] != started.error) {
      // Once per kind of failure: a session without a user fails every half second.
      failures_[session] = started.error;
      logEvent(EVENTLOG_WARNING_TYPE, "The program could not be started in session " + std::to_string(session) +
                                          " (error " + std::to_string(started.error) + ").");
    }
  }

  void waitForChange() {
    std::vector<HANDLE> handles{state_.stopEvent(), state_.wakeEvent()};
    for (const auto& [session, process] : watched_) {
      if (handles.size() == MAXIMUM_WAIT_OBJECTS) break;  // the others are polled
      handles.push_back(process.handle.get());
    }
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, kPollMs);
  }

  GuardState& state_;
  HistoryKeeper& history_;
  const std::wstring program_;
  std::map<DWORD, DWORD> endedUnguarded_;  // by session: the process that ended
  std::map<DWORD, UserProcess> watched_;  // by session
  std::map<DWORD, DWORD> failures_;       // the last start error, by session
};

}  // namespace

void runGuard(GuardState& state, HistoryKeeper& history, const std::wstring& program) {
  Guard(state, history, program).run();
}

}  // namespace guard
