#pragma once
// The run keys of the encryption component: one PBKDF2 derivation per
// password, salt and iteration count, kept until forgotten. A derivation
// runs on a thread of its own so that the caller can keep its window alive
// (and give up waiting on an abort) while it runs; a derivation given up on
// still finishes and is kept for the next file. The cache waits for its
// derivations when it goes, so none outlives the program's objects.
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tessara7/encryption/ts7_format.h"

namespace tessara::encryption {

class KeyCache {
 public:
  enum class Outcome { Ready, Abandoned, Failed };

  KeyCache() = default;
  ~KeyCache();
  KeyCache(const KeyCache&) = delete;
  KeyCache& operator=(const KeyCache&) = delete;

  // `keepWaiting` is called about every 10 ms while the derivation runs;
  // when it returns false the wait ends with Abandoned.
  Outcome derive(const std::string& password, const ts7::Salt& salt, std::uint32_t iterations,
                 const std::function<bool()>& keepWaiting, ts7::RunKey& key);

  // The salt that files encrypted with `password` get until forget():
  // chosen at random the first time, so that one run derives once.
  bool encryptionSalt(const std::string& password, const std::function<bool(std::span<std::uint8_t>)>& random,
                      ts7::Salt& salt);

  // Wipes every key and salt; derivations still running finish unseen.
  void forget();

  std::size_t derivations() const { return derivations_; }  // started since construction

 private:
  struct Job {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ok = false;
    ts7::RunKey key{};
  };
  using Id = std::tuple<std::string, ts7::Salt, std::uint32_t>;

  void dropFinishedWhenFull();

  std::map<Id, std::shared_ptr<Job>> jobs_;
  std::map<std::string, ts7::Salt> encryptionSalts_;
  struct Worker {
    std::shared_ptr<Job> job;
    std::jthread thread;
  };
  std::vector<Worker> workers_;
  std::size_t derivations_ = 0;
};

}  // namespace tessara::encryption
