#include "tessara7/locking/ignore_list.h"

#include <algorithm>
#include <map>

#include "tessara7/common/text.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {

using platform::Root;

IgnoreList::IgnoreList(RegistryAccess& registry, forms::ListBox& lstignore)
    : registry_(registry), lstignore_(lstignore) {}

bool IgnoreList::ignores(const std::string& title) const {
  const auto& titles = lstignore_.items();
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

void IgnoreList::ignore(std::string title) {
  lstignore_.addItem(std::move(title));
  store();
}

void IgnoreList::clear() { lstignore_.clear(); }

void IgnoreList::load() {
  // The whole key in one read, instead of one read per possible number.
  std::map<int, std::string> byNumber;
  for (auto& [name, text] : registry_.GetAllStringValues(Root::Machine, keys::Ignore))
    if (const auto n = numberAfter(name, "Program", keys::kIgnoreValuesRead); n && !text.empty())
      byNumber[*n] = std::move(text);
  std::vector<std::string> titles = lstignore_.items();
  for (auto& [n, text] : byNumber) titles.push_back(std::move(text));
  lstignore_.setItems(std::move(titles));
}

void IgnoreList::store(bool keepEmptyKey) {
  const auto& titles = lstignore_.items();
  registry_.DeleteKey(Root::Machine, keys::Ignore);
  if (keepEmptyKey) registry_.CreateKey(Root::Machine, keys::Ignore);
  for (std::size_t n = 0; n < titles.size(); ++n)
    registry_.SaveStringValue(Root::Machine, keys::Ignore, "Program" + std::to_string(n), titles[n]);
}

}  // namespace tessara
