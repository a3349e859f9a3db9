#pragma once
// Explorer's Encrypt and Decrypt on the program's side: the settings load
// creates the menu object when the option is stored on, and a click that the
// DLL sends to the window becomes ContextMenu_Click: the first path goes into
// the path box and every path becomes one command of the one-second runner,
// at once or after the password prompt.
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "tessara7/encryption/context_menu.h"

namespace tessara {

class App;

class ExplorerMenu {
 public:
  struct Parts {
    forms::Form& window;
    forms::TextBox& txtPath;
  };
  ExplorerMenu(App& app, Parts parts);

  // The load's step for "chkContextMenu": with the option on, a new object
  // with "-", "Encrypt" and "Decrypt", switched on. With it off, nothing: an
  // object made by an earlier load stays, and its entries with it.
  void load(bool optionOn);
  // The bytes of a click message from the DLL; anything malformed is dropped.
  void received(std::span<const std::byte> message);
  // The clicked entry's caption and the selected paths (at least one).
  void ContextMenu_Click(const std::string& caption, const std::vector<std::string>& targets);

  ContextMenu* contextMenu() { return ContextMenu_.get(); }

 private:
  App& app_;
  Parts p_;
  std::unique_ptr<ContextMenu> ContextMenu_;
};

}  // namespace tessara
