#include "forms/menu.h"

#include "forms/control_id.h"
#include "forms/form.h"

namespace forms {

MenuItem::MenuItem(Form& owner, std::string name, std::string caption)
    : owner_(owner), name_(std::move(name)), id_(controlId(name_)), caption_(std::move(caption)) {}

void MenuItem::setCaption(std::string caption) {
  caption_ = std::move(caption);
  changed();
}

void MenuItem::setChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  changed();
}

void MenuItem::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  changed();
}

void MenuItem::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  changed();
}

MenuItem& MenuItem::add(std::string name, std::string caption) {
  items_.push_back(std::make_unique<MenuItem>(owner_, std::move(name), std::move(caption)));
  return *items_.back();
}

MenuItem* MenuItem::find(int id) {
  if (id_ == id) return this;
  for (auto& item : items_)
    if (MenuItem* found = item->find(id)) return found;
  return nullptr;
}

void MenuItem::click() {
  if (enabled_) owner_.fire(onClick);
}

void MenuItem::changed() { owner_.menuChanged(*this); }

}  // namespace forms
