#include "tessara7/encryption/explorer_menu.h"

#include "forms/form.h"
#include "shared/explorer_menu_message.h"
#include "tessara7/common/text.h"

namespace tessara {

ExplorerMenu::ExplorerMenu(Host& host, Parts parts) : host_(host), p_(parts) {}

void ExplorerMenu::load(bool optionOn) {
  if (!optionOn) return;
  auto menu = std::make_unique<ContextMenu>(p_.environment, p_.window.handle());
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
  // The path box shows what was clicked; the commands carry it.
  p_.txtPath.setText(targets.front());
  encryption::ExplorerRequest request{*verb, targets, std::nullopt};
  if (!host_.explorerMenuNeedsPassword()) {
    p_.runner.queue(request);
    return;
  }
  if (host_.dialogOpen()) return;
  host_.offerSubfolderOption();
  host_.requestPassword(passwordRequest(std::move(request)));
}

PasswordRequest ExplorerMenu::passwordRequest(encryption::ExplorerRequest click) {
  const bool decrypt = click.verb == encryption::Verb::Decrypt;
  CommandRunner& runner = p_.runner;
  return {.action = decrypt ? Action::ExplorerDecrypt : Action::ExplorerEncrypt,
          .title = decrypt ? "Enter the original encryption password to decrypt file(s)." : "Master Password Required:",
          .granted = [&runner, click = std::move(click), decrypt](const PasswordGiven& given) {
            auto commands = click;
            if (decrypt) commands.password = given.text;
            runner.queue(commands);
          }};
}

}  // namespace tessara
