#include "tessara7/locking/ignore_list.h"

#include <algorithm>
#include <map>

#include "tessara7/common/text.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {

using platform::Root;

IgnoreList::IgnoreList(Host& host, RegistryAccess& registry, forms::ListBox& lstignore)
    : host_(host), registry_(registry), lstignore_(lstignore) {}

void IgnoreList::cmdIgnore_Click() { host_.showIgnoreWindow(); }

bool IgnoreList::ignores(const std::string& title) const {
  return std::find(titles_.begin(), titles_.end(), title) != titles_.end();
}

void IgnoreList::ignore(std::string title) {
  add(std::move(title));
  store();
}

void IgnoreList::add(std::string title) {
  titles_.push_back(title);
  lstignore_.addItem(std::move(title));
}

void IgnoreList::forget(const std::string& title) {
  const auto found = std::find(titles_.begin(), titles_.end(), title);
  if (found == titles_.end()) return;
  lstignore_.removeItem(static_cast<int>(found - titles_.begin()));
  titles_.erase(found);
}

void IgnoreList::clear() {
  titles_.clear();
  lstignore_.clear();
}

std::vector<std::string> IgnoreList::storedTitles() const {
  // The whole key in one read, instead of one read per possible number.
  std::map<int, std::string> byNumber;
  for (auto& [name, text] : registry_.GetAllStringValues(Root::Machine, keys::Ignore))
    if (const auto n = numberAfter(name, "Program", keys::kIgnoreValuesRead); n && !text.empty())
      byNumber[*n] = std::move(text);
  std::vector<std::string> titles;
  titles.reserve(byNumber.size());
  for (auto& [n, text] : byNumber) titles.push_back(std::move(text));
  return titles;
}

void IgnoreList::load() { load(storedTitles()); }

void IgnoreList::load(std::vector<std::string> stored) {
  for (std::string& title : stored) titles_.push_back(std::move(title));
  // One refill of the view, not a row at a time.
  lstignore_.setItems(titles_);
}

void IgnoreList::store(bool keepEmptyKey) { rewriteStore(titles_, keepEmptyKey); }

void IgnoreList::rewriteStore(const std::vector<std::string>& titles, bool keepEmptyKey) {
  registry_.DeleteKey(Root::Machine, keys::Ignore);
  if (keepEmptyKey) registry_.CreateKey(Root::Machine, keys::Ignore);
  for (std::size_t n = 0; n < titles.size(); ++n)
    registry_.SaveStringValue(Root::Machine, keys::Ignore, "Program" + std::to_string(n), titles[n]);
}

}  // namespace tessara
