#include "forms/menu.h"

#include <algorithm>
#include <stdexcept>

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

MenuItem& MenuItem::insertAfter(const MenuItem& sibling, std::string name, std::string caption) {
  const auto at = std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item.get() == &sibling; });
  if (at == items_.end()) throw std::logic_error(sibling.name() + " is not an item of " + name_);
  return **items_.insert(std::next(at), std::make_unique<MenuItem>(owner_, std::move(name), std::move(caption)));
}

MenuItem* MenuItem::find(std::string_view name) {
  if (name_ == name) return this;
  for (auto& item : items_)
    if (MenuItem* found = item->find(name)) return found;
  return nullptr;
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
