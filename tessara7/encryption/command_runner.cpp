#include "tessara7/encryption/command_runner.h"

#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/encryption_page.h"
#include "tessara7/encryption/encryption_run.h"
#include "tessara7/shell/app.h"

namespace tessara {

CommandRunner::CommandRunner(App& app, Parts parts) : app_(app), p_(parts) {}

void CommandRunner::Timer1_Timer() {
  auto& state = app_.state();
  if (state.EncryptionBusy) p_.RSPEncrypt1.abort();
  if (state.PendingExplorerCommand == 1 || state.PendingExplorerCommand == 2) {
    Command command{state.PendingExplorerCommand, p_.txtPath.text(), std::nullopt};
    if (command.kind == 2 && state.DecryptionPasswordGiven) command.password = state.EncryptionPassword;
    waiting_.push_back(command);
    // The other items of an Explorer selection, one command each.
    for (auto& path : state.PendingExplorerPaths) {
      command.path = std::move(path);
      waiting_.push_back(command);
    }
    state.PendingExplorerPaths.clear();
  }
  state.PendingExplorerCommand = 0;
  state.DecryptionPasswordGiven = false;
  // This tick may come from within a run's pause for events.
  if (p_.run.running() || waiting_.empty()) return;
  Command next = std::move(waiting_.front());
  waiting_.pop_front();
  p_.txtPath.setText(next.path);
  if (next.kind == 1) p_.page.cmdEncrypt_Click();
  else p_.page.decryptWith(std::move(next.password));
}

}  // namespace tessara
