#pragma once
// Reads the component's input ahead of it. A large input is read by a worker
// thread into a few buffers of one block each, so that the disk reads the
// next blocks while the caller seals or opens this one; a small input is
// read on the caller's thread. Exactly `total` bytes are read, then the
// input must end there.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "platform/files.h"

namespace tessara::encryption {

class InputReader {
 public:
  // Block: `bytes` is the next block; End: all `total` bytes were handed
  // out and the input ends there. Failed: a read failed (failure()). Short:
  // the input ended early; Longer: it goes on past `total`. Stopped: the
  // caller's keepWaiting said to stop while it waited.
  enum class Status { Block, End, Failed, Short, Longer, Stopped };
  struct Next {
    Status status;
    std::span<const std::uint8_t> bytes;  // valid until the next call
  };

  // `keepWaiting` runs about every 10 ms while the caller waits.
  InputReader(platform::OpenFile& file, std::uint64_t total, std::size_t blockSize, std::function<bool()> keepWaiting);
  // Waits, with events running, for a read in progress to end.
  ~InputReader();
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  Next next();
  platform::FileFailure failure() const;

 private:
  struct Ready {
    std::size_t buffer;
    std::size_t length;
  };
  void work();
  // Reads the block at `done` into `buffer`; Block, or why not.
  Status readBlock(std::vector<std::uint8_t>& buffer, std::size_t& length);

  platform::OpenFile& file_;
  const std::uint64_t total_;
  const std::size_t blockSize_;
  std::function<bool()> keepWaiting_;
  const bool threaded_;
  std::uint64_t done_ = 0;  // read so far: by the worker only, or the caller when not threaded
  std::vector<std::vector<std::uint8_t>> buffers_;
  std::size_t held_ = SIZE_MAX;  // the buffer the caller has, given back at its next call

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::size_t> free_;
  std::deque<Ready> ready_;
  Status ended_ = Status::Block;  // Block while more may come
  platform::FileFailure failure_;
  bool closing_ = false;
  std::thread worker_;
};

}  // namespace tessara::encryption
