#pragma once
// The encryption component: encrypts one file into a .ts7 file and back,
// with AES-128-GCM under a key derived from the password.
//
// What the encryption run relies on:
//  - setActive(true) before every call; abort() sets it false and makes the
//    call in progress stop at its next chunk (within a few milliseconds);
//  - encrypt(source, target, password) and decrypt(source, target, password)
//    return when the file is done; on success the target exists, and the
//    source is untouched; with holdSources(true) it is still held open (no one
//    can rename, replace or delete it) until deleteSource() deletes that very
//    file, or the next call;
//  - on failure the Error event has been raised (number, text) before the
//    call returns, and nothing but a temporary file was written, which is
//    gone again; 4 means the password does not match the file;
//  - Progress (0 to 100) is raised after every 64 KiB chunk, and
//    LetEventsRun at least every ~20 ms, so the caller's window thread keeps
//    handling messages; both may call abort(). All of them run on the
//    caller's thread, inside the call.
//
// A file of 4 MiB or more goes through a pipeline: a reader thread reads
// ahead, the caller's thread seals or opens, a writer thread writes and
// flushes, and what each flush covered is read back and authenticated at once
// (encryption), beside the writing. Its output goes to a temporary file in
// the target's folder (isTemporaryName), renamed to the target without
// replacing anything through the one handle that wrote and checked it: no
// other program can open, swap or rename it between the check and the
// rename. removeLeftovers() deletes the temporary files a killed process left
// behind. A smaller output is created under the target's own name (never
// replacing), flushed once and checked; a cut one left there by a killed
// process is recognised and replaced by the next call for that file
// (docs/ts7-format.md).
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/crypto.h"
#include "platform/files.h"
#include "tessara7/encryption/component_errors.h"
#include "tessara7/encryption/key_cache.h"

namespace tessara::encryption {

struct ComponentOptions {
  // PBKDF2 iterations of the files it writes.
  std::uint32_t iterations = 600000;
  // The most a file's header may ask for; a file that asks for more is
  // refused as of an unknown version rather than keeping the caller waiting.
  std::uint32_t maxIterations = 10000000;
  // Salts, per-file values and temporary names; fixed only by tests that
  // check the exact bytes written.
  std::function<bool(std::span<std::uint8_t>)> random = platform::crypto::randomBytes;
};

class EncryptionComponent {
 public:
  explicit EncryptionComponent(platform::Files& files, ComponentOptions options = {});

  // The Boolean property.
  void setActive(bool active) { active_ = active; }
  bool active() const { return active_; }

  bool encrypt(const std::string& source, const std::string& target, const std::string& password);
  bool decrypt(const std::string& source, const std::string& target, const std::string& password);
  void abort() { active_ = false; }
  // Deletes the last call's source through the handle it was read by, once
  // the name still leads to that very file; false (and `why`) otherwise,
  // and then the file stays.
  bool deleteSource(const std::string& source, std::string& why);
  // Whether a call's source stays open after success, for deleteSource().
  void holdSources(bool hold) { holdSources_ = hold; }
  void releaseSource() {
    heldSource_.reset();
    heldSourcePath_.clear();
  }
  // Tests only: what another program does between the check and the output
  // keeping its name.
  void setBeforeRename(std::function<void(const std::string& temporary)> hook) { beforeRename_ = std::move(hook); }
  bool busy() const { return busy_; }

  // Events, raised on the caller's thread during a call.
  std::function<void(int percent)> Progress;
  std::function<void(int number, const std::string& text)> Error;
  std::function<void()> LetEventsRun;

  // Forgets the derived keys (the run calls it when it ends).
  void forgetKeys() { keys_.forget(); }
  std::size_t keyDerivations() const { return keys_.derivations(); }

  // Deletes the temporary files left in `folder` by a process that was killed
  // while it wrote them; returns how many it deleted. One still open by a
  // running process cannot be deleted and stays.
  int removeLeftovers(std::string_view folder);
  // Names of the temporary files: "~ts7" + 16 hexadecimal digits + ".tmp".
  // The run's file listing must pass them over.
  static bool isTemporaryName(std::string_view name);

 private:
  class Call;
  friend class Call;
  template <typename Body>
  bool oneCall(const std::string& source, const std::string& target, Body&& body);

  platform::Files& files_;
  ComponentOptions options_;
  KeyCache keys_;
  bool active_ = false;
  bool busy_ = false;
  bool holdSources_ = false;
  std::function<void(const std::string& temporary)> beforeRename_;
  // The last successful call's source, still open.
  std::unique_ptr<platform::OpenFile> heldSource_;
  std::string heldSourcePath_;
};

}  // namespace tessara::encryption
