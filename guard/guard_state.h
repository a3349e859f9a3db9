#pragma once
// What the service's threads share: the sessions' marks, the order to stop,
// and the event that wakes the guard loop when a mark changes. The control
// handler and the channel thread change it; the guard loop acts on it.
#include <windows.h>

#include <mutex>

#include "guard/session_book.h"
#include "shared/win32/handles.h"

namespace guard {

class GuardState {
 public:
  GuardState()
      : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  bool ready() const { return stop_ && wake_; }

  // Runs change(book) under the lock and wakes the loop to act on it.
  template <typename Change>
  void change(Change change) {
    update(change);
    SetEvent(wake_.get());
  }
  // The same without waking the loop: for the loop's own changes.
  template <typename Change>
  auto update(Change change) {
    const std::lock_guard lock(mutex_);
    return change(book_);
  }
  template <typename Read>
  auto read(Read read) const {
    const std::lock_guard lock(mutex_);
    return read(book_);
  }

  // Nothing is started once this is called; the threads end.
  void stop() { SetEvent(stop_.get()); }
  bool stopping() const { return WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0; }
  HANDLE stopEvent() const { return stop_.get(); }
  HANDLE wakeEvent() const { return wake_.get(); }

 private:
  mutable std::mutex mutex_;
  SessionBook book_;
  win32kit::UniqueKernelHandle stop_;
  win32kit::UniqueKernelHandle wake_;
};

}  // namespace guard
