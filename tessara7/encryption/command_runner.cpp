#include "tessara7/encryption/command_runner.h"

#include <utility>

#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/encryption_page.h"
#include "tessara7/encryption/encryption_run.h"
#include "tessara7/shell/app.h"

namespace tessara {

CommandRunner::CommandRunner(App& app, Parts parts) : app_(app), p_(parts) {}

void CommandRunner::Timer1_Timer() {
  auto& state = app_.state();
  if (state.EncryptionBusy) p_.RSPEncrypt1.abort();
  // Every item of an Explorer selection, one command each.
  if (auto request = std::exchange(state.PendingExplorerCommand, std::nullopt))
    for (std::string& path : request->paths) waiting_.push_back({request->verb, std::move(path), request->password});
  // This tick may come from within a run's pause for events.
  if (p_.run.running() || waiting_.empty()) return;
  Command next = std::move(waiting_.front());
  waiting_.pop_front();
  p_.txtPath.setText(next.path);
  if (next.verb == encryption::Verb::Encrypt) p_.page.cmdEncrypt_Click();
  else p_.page.decryptWith(std::move(next.password));
}

}  // namespace tessara
