#include "tessara7/encryption/key_cache.h"

#include <chrono>

#include "platform/crypto.h"

namespace tessara::encryption {
namespace {

constexpr std::size_t MaxKeys = 64;

void wipeText(std::string& text) {
  platform::crypto::wipe({reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
}

}  // namespace

KeyCache::~KeyCache() {
  forget();
  workers_.clear();  // joins the derivations still running
}

KeyCache::Outcome KeyCache::derive(const std::string& password, const ts7::Salt& salt, std::uint32_t iterations,
                                   const std::function<bool()>& keepWaiting, ts7::RunKey& key) {
  Id id{password, salt, iterations};
  auto found = jobs_.find(id);
  if (found == jobs_.end()) {
    dropFinishedWhenFull();
    auto job = std::make_shared<Job>();
    found = jobs_.emplace(std::move(id), job).first;
    ++derivations_;
    // It owns what it uses, so a derivation given up on may go on after the
    // program stopped waiting for it; the cache joins it when it goes.
    std::erase_if(workers_, [](const Worker& worker) {
      const std::lock_guard lock(worker.job->mutex);
      return worker.job->done;  // about to return: joining it costs nothing
    });
    workers_.push_back({job, std::jthread([job, password = std::string(password), salt, iterations]() mutable {
      ts7::RunKey derived{};
      const bool ok = platform::crypto::pbkdf2Sha256(password, salt, iterations, derived);
      wipeText(password);
      const std::lock_guard lock(job->mutex);
      job->ok = ok;
      job->key = derived;
      job->done = true;
      platform::crypto::wipe(derived);
      job->finished.notify_all();
    })});
  }
  Job& job = *found->second;
  std::unique_lock lock(job.mutex);
  while (!job.finished.wait_for(lock, std::chrono::milliseconds(10), [&] { return job.done; })) {
    lock.unlock();
    if (!keepWaiting()) return Outcome::Abandoned;
    lock.lock();
  }
  if (!job.ok) {
    lock.unlock();
    jobs_.erase(found);  // a failure is not kept: the next file tries again
    return Outcome::Failed;
  }
  key = job.key;
  return Outcome::Ready;
}

bool KeyCache::encryptionSalt(const std::string& password,
                              const std::function<bool(std::span<std::uint8_t>)>& random, ts7::Salt& salt) {
  if (const auto found = encryptionSalts_.find(password); found != encryptionSalts_.end()) {
    salt = found->second;
    return true;
  }
  if (!random(salt)) return false;
  encryptionSalts_.emplace(password, salt);
  return true;
}

void KeyCache::dropFinishedWhenFull() {
  if (jobs_.size() < MaxKeys) return;
  for (auto it = jobs_.begin(); it != jobs_.end();) {
    const std::shared_ptr<Job> job = it->second;
    const std::lock_guard lock(job->mutex);
    if (job->done) {
      platform::crypto::wipe(job->key);
      it = jobs_.erase(it);
    } else {
      ++it;
    }
  }
}

void KeyCache::forget() {
  for (auto& [id, job] : jobs_) {
    const std::lock_guard lock(job->mutex);
    platform::crypto::wipe(job->key);
  }
  jobs_.clear();
  encryptionSalts_.clear();
}

}  // namespace tessara::encryption
