#include "tessara7/encryption/input_reader.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "tessara7/encryption/pipeline.h"

namespace tessara::encryption {
namespace {

constexpr std::size_t Buffers = 4;                // the caller's, and three read ahead

}  // namespace

InputReader::InputReader(platform::OpenFile& file, std::uint64_t total, std::size_t blockSize,
                         std::function<bool()> keepWaiting)
    : file_(file),
      total_(total),
      blockSize_(std::max<std::size_t>(blockSize, 1)),
      keepWaiting_(std::move(keepWaiting)),
      threaded_(total >= PipelinedSize) {
  // Every buffer is made here, on the caller's thread, where a lack of
  // memory is reported; the worker only fills them.
  const std::size_t count = threaded_ ? Buffers : 1;
  const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, total_));
  for (std::size_t i = 0; i < count; ++i) {
    buffers_.emplace_back(size);
    free_.push_back(i);
  }
  if (threaded_) worker_ = std::thread([this] { work(); });
}

InputReader::~InputReader() {
  if (!threaded_) return;
  {
    std::unique_lock lock(mutex_);
    closing_ = true;
    changed_.notify_all();
  }
  worker_.join();  // a read takes a block's time at most
}

platform::FileFailure InputReader::failure() const {
  const std::lock_guard lock(mutex_);
  return failure_;
}

InputReader::Status InputReader::readBlock(std::vector<std::uint8_t>& buffer, std::size_t& length) {
  const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, total_ - done_));
  length = 0;
  while (length < want) {
    const auto n = file_.read(std::span(buffer).subspan(length, want - length));
    if (!n) return Status::Failed;
    if (*n == 0) return Status::Short;
    length += *n;
  }
  done_ += length;
  if (done_ < total_) return Status::Block;
  std::uint8_t extra = 0;
  const auto n = file_.read({&extra, 1});
  if (!n) return Status::Failed;
  return *n == 0 ? Status::Block : Status::Longer;
}

InputReader::Next InputReader::next() {
  if (!threaded_) {
    if (done_ == total_ && held_ != SIZE_MAX) return {Status::End, {}};
    held_ = 0;
    std::size_t length = 0;
    const Status status = readBlock(buffers_[0], length);
    if (status == Status::Failed) failure_ = file_.lastFailure();
    if (status != Status::Block) return {status, {}};
    return {Status::Block, std::span(buffers_[0]).first(length)};
  }
  std::unique_lock lock(mutex_);
  if (held_ != SIZE_MAX) {
    free_.push_back(std::exchange(held_, SIZE_MAX));
    changed_.notify_all();
  }
  if (!waitWithEvents(lock, changed_, [this] { return !ready_.empty() || ended_ != Status::Block; }, keepWaiting_,
                      true))
    return {Status::Stopped, {}};
  if (ready_.empty()) return {ended_, {}};
  const Ready ready = ready_.front();
  ready_.pop_front();
  held_ = ready.buffer;
  return {Status::Block, std::span(buffers_[ready.buffer]).first(ready.length)};
}

void InputReader::work() {
  std::unique_lock lock(mutex_);
  while (ended_ == Status::Block) {
    changed_.wait(lock, [this] { return closing_ || !free_.empty(); });
    if (closing_) return;
    const std::size_t buffer = free_.front();
    free_.pop_front();
    lock.unlock();
    std::size_t length = 0;
    Status status = Status::Failed;
    platform::FileFailure failure;
    try {
      status = readBlock(buffers_[buffer], length);
      if (status == Status::Failed) failure = file_.lastFailure();
    } catch (const std::exception&) {
      // Nothing here allocates; should the system's call throw all the
      // same, the caller hears of a failed read rather than the program ending.
      failure = {platform::FileError::Other, "the file could not be read"};
    }
    lock.lock();
    if (status == Status::Block) {
      ready_.push_back({buffer, length});
      if (done_ == total_) ended_ = Status::End;
    } else {
      ended_ = status;
      failure_ = failure;
    }
    changed_.notify_all();
  }
}

}  // namespace tessara::encryption
