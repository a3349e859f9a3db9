#include "tessara7/locking/ignore_store.h"

#include "tessara7/settings/store_keys.h"

namespace tessara {

void writeIgnoreStore(RegistryAccess& registry, const std::vector<std::string>& titles, bool keepEmptyKey) {
  registry.DeleteKey(platform::Root::Machine, keys::Ignore);
  if (keepEmptyKey) registry.CreateKey(platform::Root::Machine, keys::Ignore);
  for (std::size_t n = 0; n < titles.size(); ++n)
    registry.SaveStringValue(platform::Root::Machine, keys::Ignore, "Program" + std::to_string(n), titles[n]);
}

}  // namespace tessara
