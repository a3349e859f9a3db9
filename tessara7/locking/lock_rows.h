#pragma once
// The lock list as data: the task names whose windows the master password
// guards, each ticked or not, and their rows in the store ("Windows0" to
// "Windows998", each with "Window" and "Enabled").
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tessara {

class RegistryAccess;

struct LockEntry {
  std::string task;
  bool ticked = false;
  friend bool operator==(const LockEntry&, const LockEntry&) = default;
};

// The rows found under the root, in row order; a row with an empty "Window"
// is skipped, an "Enabled" other than "0" ticks it.
std::vector<LockEntry> loadLockRows(RegistryAccess& registry, platform::Root root);
// Writes the entries as rows 0 onwards; rows past them are left alone.
void saveLockRows(RegistryAccess& registry, platform::Root root, const std::vector<LockEntry>& entries);
// Deletes the row keys numbered from `first` up to 999 under the root.
void deleteLockRows(RegistryAccess& registry, platform::Root root, int first);

// Whether a ticked, non-empty entry occurs in the title (case-sensitive).
bool locksTitle(const std::vector<LockEntry>& entries, const std::string& title);

}  // namespace tessara
