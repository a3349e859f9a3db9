#pragma once
// Menu items: a caption, a tick and an enabled state. Setting the tick from
// code runs nothing; only a click runs the handler.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Form;

class MenuItem {
 public:
  MenuItem(Form& owner, std::string name, std::string caption);
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  const std::string& name() const { return name_; }
  int id() const { return id_; }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  bool checked() const { return checked_; }
  void setChecked(bool checked);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool separator() const { return caption_ == "-"; }
  // Runs its command while the form's input is locked: for items that are
  // harmless or ask for the password themselves (the tray menu's).
  bool runsWhileLocked() const { return runsWhileLocked_; }
  void setRunsWhileLocked(bool runs) { runsWhileLocked_ = runs; }

  MenuItem& add(std::string name, std::string caption);
  // Places an item right after one of this menu's own items (throws
  // std::logic_error for any other), so an item can join a menu built before it.
  MenuItem& insertAfter(const MenuItem& sibling, std::string name, std::string caption);
  const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
  // This item or one beneath it, at any depth.
  MenuItem* find(int id);
  MenuItem* find(std::string_view name);

  void click();
  std::function<void()> onClick;

 private:
  void changed();
  Form& owner_;
  std::string name_;
  int id_;
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool runsWhileLocked_ = false;
  std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace forms
