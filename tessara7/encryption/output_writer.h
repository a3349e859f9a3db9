#pragma once
// Writes the component's output and flushes it to the disk. A large output
// is written by a worker thread, block by block as the caller hands them
// over, and flushed every 32 MiB by a second thread while the writing goes
// on: the disk works while the caller seals the next blocks, and a disk that
// stalls never stalls the caller, whose events keep running whenever it has
// to wait. A small output is written on the
// caller's thread and flushed once at the end.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files.h"

namespace tessara::encryption {

class OutputWriter {
 public:
  using Block = std::vector<std::uint8_t>;

  // `keepWaiting` runs about every 10 ms while the caller waits.
  OutputWriter(platform::OpenFile& file, std::uint64_t expectedSize, std::function<bool()> keepWaiting);
  // Waits, with events running, for a write or flush in progress to end;
  // blocks not yet written are dropped.
  ~OutputWriter();
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  // A buffer to fill, then to hand to write().
  Block takeBuffer();
  // False when this or an earlier write or flush failed (see failure()).
  bool write(Block block);
  // Everything handed over is written and on the disk when this returns true.
  // `beforeFlush` runs after the last write and before the flush (it may set
  // the file's time, which a later write would change).
  bool finish(std::function<bool(platform::OpenFile&)> beforeFlush = {});
  platform::FileFailure failure() const;

 private:
  void work();
  bool waitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& condition);
  bool writeNow(const Block& block);
  // Worker only: waits for the flush running beside the writing, if any.
  bool joinFlush();

  platform::OpenFile& file_;
  std::function<bool()> keepWaiting_;
  const bool threaded_;
  std::uint64_t unflushed_ = 0;  // touched by the worker only, or by the caller when not threaded
  std::thread flushing_;          // started and joined by the worker
  bool flushOk_ = true;           // set by the flushing thread before it ends
  platform::FileFailure flushFailure_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> pending_;
  std::vector<Block> spare_;
  bool finishAsked_ = false;
  std::function<bool(platform::OpenFile&)> beforeFlush_;
  bool finished_ = false;
  bool closing_ = false;
  bool stopped_ = false;  // the worker has ended, its last flush too
  bool failed_ = false;
  platform::FileFailure failure_;
  std::thread worker_;
};

}  // namespace tessara::encryption
