#pragma once
// Writes the component's output, flushes it to the disk and has it checked.
// A large output is written by a worker thread, block by block as the
// caller hands them over, and flushed every 32 MiB or so by a second thread
// while the writing goes on; that thread then has what the flush covered checked
// (read back and authenticated), so the check follows the writing instead
// of waiting for its end. The disk works while the caller seals the next
// blocks, and a disk that stalls never stalls the caller, whose events keep
// running whenever it has to wait. A small output is written on the
// caller's thread, flushed once at the end, then checked.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "tessara7/encryption/pipeline.h"

namespace tessara::encryption {

class OutputWriter {
 public:
  using Block = std::vector<std::uint8_t>;
  // Checks the output's first `end` bytes, all on the disk; runs with `end`
  // growing, the last time with the whole output. Why not, or nothing when
  // they are right. It may run on a thread of the writer's, beside writes.
  using Check = std::function<std::optional<std::string>(std::uint64_t end)>;

  // `keepWaiting` runs about every 10 ms while the caller waits.
  OutputWriter(platform::OpenFile& file, std::uint64_t expectedSize, std::function<bool()> keepWaiting,
               Check check = {});
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
  // Why the check failed, when it was the check and not a write or flush.
  std::optional<std::string> checkFailure() const;

 private:
  void work();
  bool waitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& condition);
  bool writeNow(const Block& block);
  // Worker only: waits for the flush running beside the writing, if any.
  bool joinFlush();
  // The check up to `end`, its failure noted; false when it failed.
  bool runCheck(std::uint64_t end);

  platform::OpenFile& file_;
  std::function<bool()> keepWaiting_;
  Check check_;
  const bool threaded_;
  std::uint64_t unflushed_ = 0;  // touched by the worker only, or by the caller when not threaded
  std::uint64_t written_ = 0;    // the same
  std::thread flushing_;          // started and joined by the worker
  bool flushOk_ = true;           // set by the flushing thread before it ends
  std::atomic<bool> flushDone_ = false;  // the same, once flushOk_ is set
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
  std::optional<std::string> checkFailure_;
  std::thread worker_;
};

}  // namespace tessara::encryption
