#pragma once
// The program's side of the history: events are handed to a queue, which
// a thread of its own writes to the guard service, so that a watcher's tick
// or a handler never waits for the service. Events that find no service (a
// copy started from elsewhere, which the service does not answer) are kept
// in memory for this run and shown the same way.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/history_line.h"
#include "platform/guard.h"

namespace tessara {

class HistoryQueue {
 public:
  explicit HistoryQueue(platform::Guard& guard);
  // Sends what is queued (each send waits at most a second), then ends the thread.
  ~HistoryQueue();
  HistoryQueue(const HistoryQueue&) = delete;
  HistoryQueue& operator=(const HistoryQueue&) = delete;

  void record(history::Kind kind, std::string detail);
  // Waits until everything recorded so far was sent or kept.
  void flush();

  // The history, oldest first: the service's, or this run's when no service answered.
  struct Lines {
    std::vector<history::Entry> entries;
    bool kept = true;  // false: this run's only, gone when the program ends
  };
  Lines lines();
  // Clears the service's history (or this run's), leaving the line that says so.
  bool clear();

 private:
  void work();
  void keepHere(history::Kind kind, std::string detail);

  platform::Guard& guard_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<history::Kind, std::string>> pending_;
  bool sending_ = false;
  bool stopping_ = false;
  bool serviceAnswered_ = true;
  std::vector<history::Entry> unsent_;
  std::thread worker_;
};

}  // namespace tessara
