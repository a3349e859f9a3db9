#pragma once
// The configuration window's one-second timer (Timer1) on the encryption's
// side: it has the run stop while a stop is wanted, and turns queued
// commands (from Explorer's Encrypt and Decrypt, and a re-encryption asked
// for during a run) into runs. A command that comes while a run goes on
// waits in order until the run has ended; none starts inside another.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "tessara7/encryption/explorer_request.h"

namespace tessara {

class CommandRunner {
 public:
  struct Command {
    encryption::Verb verb = encryption::Verb::Encrypt;
    std::string path;
    std::optional<std::string> password;  // a decryption's, when its command brought one
  };
  // What runs the commands: the Encryption page and its run.
  class Target {
   public:
    // While a stop is wanted (Abort, a failed decryption) the component is
    // asked to stop the file it is on.
    virtual void stopIfAsked() = 0;
    virtual bool running() const = 0;
    // Shows the command's path in the path box and runs it.
    virtual void run(Command command) = 0;

   protected:
    ~Target() = default;
  };
  explicit CommandRunner(Target& target) : target_(target) {}

  void Timer1_Timer();
  // Runs after the current run (or at the next tick when none is running).
  void queue(Command command) { waiting_.push_back(std::move(command)); }
  // Every path of an Explorer click is one command, in the click's order.
  void queue(const encryption::ExplorerRequest& request);
  std::size_t waiting() const { return waiting_.size(); }
  const std::deque<Command>& queued() const { return waiting_; }

 private:
  Target& target_;
  std::deque<Command> waiting_;
};

}  // namespace tessara
