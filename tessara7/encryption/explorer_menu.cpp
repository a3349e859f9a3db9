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
  if (!ContextMenu_ || !ContextMenu_->active() || !ContextMenu_->offers(caption) || targets.empty()) return;
  auto& state = app_.state();
  p_.txtPath.setText(targets.front());
  // Each further path becomes a command of its own after the first.
  state.PendingExplorerPaths.assign(targets.begin() + 1, targets.end());
  if (!state.ExplorerMenuNeedsPassword) {
    state.PendingExplorerCommand = caption == "Encrypt" ? 1 : 2;
    return;
  }
  if (state.DialogOpen) {
    state.PendingExplorerPaths.clear();
    return;
  }
  state.ExplorerVerb = caption;
  app_.frmPassword().chksubfolders.setVisible(true);
  if (caption == "Decrypt")
    app_.requestPassword(Action::ExplorerDecrypt, "Enter the original encryption password to decrypt file(s).");
  else
    app_.requestPassword(Action::ExplorerEncrypt, "Master Password Required:");
}

}  // namespace tessara
