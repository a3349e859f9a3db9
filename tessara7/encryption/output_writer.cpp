#include "tessara7/encryption/output_writer.h"

#include <exception>

#include "tessara7/encryption/pipeline.h"

namespace tessara::encryption {
namespace {

constexpr std::uint64_t FlushStep = 32u << 20;
constexpr std::size_t MaxPending = 3;  // blocks handed over and not yet written

}  // namespace

OutputWriter::OutputWriter(platform::OpenFile& file, std::uint64_t expectedSize, std::function<bool()> keepWaiting,
                           Check check)
    : file_(file), keepWaiting_(std::move(keepWaiting)), check_(std::move(check)), threaded_(expectedSize >= PipelinedSize) {
  if (threaded_) worker_ = std::thread([this] { work(); });
}

OutputWriter::~OutputWriter() {
  if (!threaded_) return;
  std::unique_lock lock(mutex_);
  closing_ = true;
  pending_.clear();
  changed_.notify_all();
  // The system's write or flush cannot be stopped; its file cannot be closed
  // and deleted before it ends. Events go on meanwhile, unless an exception
  // is on its way through.
  if (std::uncaught_exceptions() == 0) waitUntil(lock, [this] { return stopped_; });
  lock.unlock();
  worker_.join();
}

OutputWriter::Block OutputWriter::takeBuffer() {
  const std::lock_guard lock(mutex_);
  if (spare_.empty()) return {};
  Block block = std::move(spare_.back());
  spare_.pop_back();
  return block;
}

bool OutputWriter::runCheck(std::uint64_t end) {
  if (!check_) return true;
  std::optional<std::string> why;
  try {
    why = check_(end);
  } catch (const std::exception&) {
    // Not on this thread's way out: the call fails as a check that failed.
    why = "it could not be checked";
  }
  if (!why) return true;
  const std::lock_guard lock(mutex_);
  checkFailure_ = std::move(why);
  return false;
}

bool OutputWriter::writeNow(const Block& block) {
  if (!file_.write(block)) return false;
  unflushed_ += block.size();
  written_ += block.size();
  if (!threaded_ || unflushed_ < FlushStep) return true;
  // One flush at a time, and the writing never waits for it: the next
  // blocks are written while it runs and while what it flushed is checked;
  // a flush still running lets the next one start later, with more to do.
  if (flushing_.joinable() && !flushDone_) return true;
  if (!joinFlush()) return false;
  unflushed_ = 0;
  flushDone_ = false;
  flushing_ = std::thread([this, end = written_] {
    flushOk_ = file_.flush();
    if (!flushOk_) flushFailure_ = file_.lastFailure();
    else flushOk_ = runCheck(end);
    flushDone_ = true;
  });
  return true;
}

bool OutputWriter::joinFlush() {
  if (flushing_.joinable()) flushing_.join();
  return flushOk_;
}

bool OutputWriter::write(Block block) {
  if (!threaded_) {
    const bool ok = writeNow(block);
    const std::lock_guard lock(mutex_);
    if (!ok) {
      failed_ = true;
      failure_ = file_.lastFailure();
    }
    spare_.push_back(std::move(block));
    return ok;
  }
  std::unique_lock lock(mutex_);
  waitUntil(lock, [this] { return failed_ || pending_.size() < MaxPending; });
  if (failed_) return false;
  pending_.push_back(std::move(block));
  changed_.notify_all();
  return true;
}

bool OutputWriter::finish(std::function<bool(platform::OpenFile&)> beforeFlush) {
  if (!threaded_) {
    if ((!beforeFlush || beforeFlush(file_)) && file_.flush()) {
      if (runCheck(written_)) return true;
      const std::lock_guard lock(mutex_);
      failed_ = true;
      return false;
    }
    const std::lock_guard lock(mutex_);
    failed_ = true;
    failure_ = file_.lastFailure();
    return false;
  }
  std::unique_lock lock(mutex_);
  beforeFlush_ = std::move(beforeFlush);
  finishAsked_ = true;
  changed_.notify_all();
  waitUntil(lock, [this] { return failed_ || finished_; });
  return !failed_;
}

platform::FileFailure OutputWriter::failure() const {
  const std::lock_guard lock(mutex_);
  return failure_;
}

std::optional<std::string> OutputWriter::checkFailure() const {
  const std::lock_guard lock(mutex_);
  return checkFailure_;
}

bool OutputWriter::waitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& condition) {
  // A write or flush under way cannot be stopped: the wait goes on whatever the events say.
  return waitWithEvents(lock, changed_, condition, keepWaiting_, false);
}

void OutputWriter::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !pending_.empty() || (finishAsked_ && !finished_); });
    if (closing_) {
      lock.unlock();
      joinFlush();
      lock.lock();
      stopped_ = true;
      changed_.notify_all();
      return;
    }
    bool ok = true;
    Block block;
    const bool writing = !pending_.empty();
    if (writing) {
      block = std::move(pending_.front());
      pending_.pop_front();
    }
    lock.unlock();
    platform::FileFailure failure;
    if (writing) {
      ok = writeNow(block);
    } else if (!joinFlush()) {
      ok = false;
    } else {
      ok = (!beforeFlush_ || beforeFlush_(file_)) && file_.flush() && runCheck(written_);
    }
    if (!ok) failure = flushOk_ ? file_.lastFailure() : flushFailure_;
    lock.lock();
    if (writing) spare_.push_back(std::move(block));
    else finished_ = true;
    if (!ok) {
      failed_ = true;
      failure_ = failure;
      pending_.clear();
      finished_ = true;
    }
    changed_.notify_all();
  }
}

}  // namespace tessara::encryption
