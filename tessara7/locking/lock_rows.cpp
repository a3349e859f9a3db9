#include "tessara7/locking/lock_rows.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "tessara7/common/text.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace {

using platform::Root;

constexpr int kRowsDeleted = 1000;  // Windows0 to Windows999

std::string rowKey(int row) { return keys::WindowRowPrefix + std::to_string(row); }

// The rows that may exist, in order. Every key listed or opened costs a call
// to the system (a round trip to the server under Wine): when most of the
// numbers are there, reading each number directly is cheaper than listing
// the keys first; otherwise the listing finds the few that exist.
std::vector<int> rowsToRead(RegistryAccess& registry, Root root) {
  std::vector<int> rows;
  if (registry.SubKeyCount(root, keys::Root) * 2 > keys::kLockRowsRead) {
    for (int row = 0; row < keys::kLockRowsRead; ++row) rows.push_back(row);
    return rows;
  }
  for (const auto& name : registry.SubKeyNames(root, keys::Root))
    if (const auto row = numberAfter(name, keys::WindowRowName, keys::kLockRowsRead)) rows.push_back(*row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

}  // namespace

std::vector<LockEntry> loadLockRows(RegistryAccess& registry, Root root) {
  std::vector<std::string> rowKeys;
  for (const int row : rowsToRead(registry, root)) rowKeys.push_back(rowKey(row));
  // Every row's two values, the rows read side by side; a missing row reads as empty.
  constexpr std::array<std::string_view, 2> names{"Window", "Enabled"};
  std::vector<LockEntry> entries;
  entries.reserve(rowKeys.size());
  for (auto& texts : registry.GetStringValuesOfKeys(root, rowKeys, names))
    if (!texts[0].empty()) entries.push_back({std::move(texts[0]), texts[1] != "0"});
  return entries;
}

void saveLockRows(RegistryAccess& registry, Root root, const std::vector<LockEntry>& entries) {
  for (std::size_t n = 0; n < entries.size(); ++n) {
    const std::string key = rowKey(static_cast<int>(n));
    registry.SaveStringValue(root, key, "Window", entries[n].task);
    registry.SaveStringValue(root, key, "Enabled", entries[n].ticked ? "1" : "0");
  }
}

// Listing the keys that exist deletes exactly what deleting every number would.
void deleteLockRows(RegistryAccess& registry, Root root, int first) {
  for (const auto& name : registry.SubKeyNames(root, keys::Root)) {
    const auto row = numberAfter(name, keys::WindowRowName, kRowsDeleted);
    if (row && *row >= first) registry.DeleteKey(root, rowKey(*row));
  }
}

bool locksTitle(const std::vector<LockEntry>& entries, const std::string& title) {
  return std::any_of(entries.begin(), entries.end(), [&](const LockEntry& entry) {
    return entry.ticked && !entry.task.empty() && title.find(entry.task) != std::string::npos;
  });
}

}  // namespace tessara
