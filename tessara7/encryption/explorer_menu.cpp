#include "tessara7/encryption/explorer_menu.h"

#include "shared/explorer_menu_message.h"
#include "tessara7/common/text.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/shell/app.h"

namespace tessara {

ExplorerMenu::ExplorerMenu(App& app, Parts parts) : app_(app), p_(parts) {}

void ExplorerMenu::load(bool optionOn) {
  if (!optionOn) return;
  auto menu = std::make_unique<ContextMenu>(app_, p_.window.handle());
  for (const char* caption : {"-", "Encrypt", "Decrypt"}) menu->items().Add(caption);
  menu->setActive(true);
  ContextMenu_ = std::move(menu);  // the previous object goes; its entries were the same
}

void ExplorerMenu::received(std::span<const std::byte> message) {
  const auto click = explorer_menu::decode(message);
  if (!click) return;
  std::vector<std::string> targets;
  targets.reserve(click->paths.size());
  for (const auto& path : click->paths) targets.push_back(utf8FromUtf16(path));
  ContextMenu_Click(utf8FromUtf16(click->caption), targets);
}

void ExplorerMenu::ContextMenu_Click(const std::string& caption, const std::vector<std::string>& targets) {
  // Only a command of a live object counts: not the separator, not a caption
  // the object does not hold, not a click after the object was switched off.
  const auto verb = encryption::verbOf(caption);
  if (!ContextMenu_ || !ContextMenu_->active() || !ContextMenu_->offers(caption) || !verb || targets.empty()) return;
  auto& state = app_.state();
  // The path box shows what was clicked; the request carries it.
  p_.txtPath.setText(targets.front());
  encryption::ExplorerRequest request{*verb, targets, std::nullopt};
  if (!state.ExplorerMenuNeedsPassword) {
    state.PendingExplorerCommand = std::move(request);
    return;
  }
  if (state.DialogOpen) return;
  state.ExplorerClick = std::move(request);
  app_.frmPassword().chksubfolders.setVisible(true);
  if (*verb == encryption::Verb::Decrypt)
    app_.requestPassword(Action::ExplorerDecrypt, "Enter the original encryption password to decrypt file(s).");
  else
    app_.requestPassword(Action::ExplorerEncrypt, "Master Password Required:");
}

}  // namespace tessara
