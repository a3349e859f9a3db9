#include "tessara7/locking/ignore_list.h"

#include <algorithm>
#include <map>

#include "tessara7/common/text.h"
#include "tessara7/locking/frm_ignore.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"

namespace tessara {

using platform::Root;

IgnoreList::IgnoreList(App& app, forms::ListBox& lstignore)
    : app_(app), registry_(app.registry()), lstignore_(lstignore) {}

void IgnoreList::cmdIgnore_Click() { app_.frmIgnore().show(); }

bool IgnoreList::ignores(const std::string& title) const {
  const auto& titles = lstignore_.items();
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

void IgnoreList::ignore(std::string title) {
  lstignore_.addItem(std::move(title));
  store();
}

void IgnoreList::forget(const std::string& title) {
  const auto& titles = lstignore_.items();
  const auto found = std::find(titles.begin(), titles.end(), title);
  if (found != titles.end()) lstignore_.removeItem(static_cast<int>(found - titles.begin()));
}

void IgnoreList::clear() { lstignore_.clear(); }

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

void IgnoreList::load() {
  std::vector<std::string> titles = lstignore_.items();
  for (std::string& title : storedTitles()) titles.push_back(std::move(title));
  lstignore_.setItems(std::move(titles));
}

void IgnoreList::store(bool keepEmptyKey) { rewriteStore(lstignore_.items(), keepEmptyKey); }

void IgnoreList::rewriteStore(const std::vector<std::string>& titles, bool keepEmptyKey) {
  registry_.DeleteKey(Root::Machine, keys::Ignore);
  if (keepEmptyKey) registry_.CreateKey(Root::Machine, keys::Ignore);
  for (std::size_t n = 0; n < titles.size(); ++n)
    registry_.SaveStringValue(Root::Machine, keys::Ignore, "Program" + std::to_string(n), titles[n]);
}

}  // namespace tessara
