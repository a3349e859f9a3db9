#pragma once
// The configuration window's one-second timer (Timer1) on the encryption's
// side: it asks the component to stop while a stop is wanted, and turns
// pending commands (from Explorer's Encrypt and Decrypt, and a re-encryption
// asked for during a run) into runs. A command that comes while a run goes
// on waits in order until the run has ended; none starts inside another.
#include <deque>
#include <optional>
#include <string>

#include "forms/controls.h"
#include "tessara7/encryption/explorer_request.h"

namespace tessara {

class App;
class EncryptionPage;
class EncryptionRun;
namespace encryption {
class EncryptionComponent;
}

class CommandRunner {
 public:
  struct Command {
    encryption::Verb verb = encryption::Verb::Encrypt;
    std::string path;
    std::optional<std::string> password;  // a decryption's, when its command brought one
  };
  struct Parts {
    EncryptionPage& page;
    EncryptionRun& run;
    encryption::EncryptionComponent& RSPEncrypt1;
    forms::TextBox& txtPath;
  };
  CommandRunner(App& app, Parts parts);

  void Timer1_Timer();
  // Runs after the current run (or at the next tick when none is running).
  void queue(Command command) { waiting_.push_back(std::move(command)); }
  std::size_t waiting() const { return waiting_.size(); }

 private:
  App& app_;
  Parts p_;
  std::deque<Command> waiting_;
};

}  // namespace tessara
