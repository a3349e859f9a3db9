#pragma once
// The stored ignore list: machine-wide, rewritten whole every time.
#include <string>
#include <vector>

#include "tessara7/settings/registry_access.h"

namespace tessara {

// Deletes the key, creates it again (unless the list is empty and
// keepEmptyKey is false) and writes the titles as Program0, Program1, ...
void writeIgnoreStore(RegistryAccess& registry, const std::vector<std::string>& titles,
                      bool keepEmptyKey = true);

}  // namespace tessara
