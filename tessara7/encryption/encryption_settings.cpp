#include "tessara7/encryption/encryption_settings.h"

#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::encryption {

EncryptionSettings EncryptionSettings::load(RegistryAccess& registry) {
  EncryptionSettings settings;
  settings.includeSubfolders = registry.GetStringValue(platform::Root::User, keys::Settings, "subfolders") == "1";
  return settings;
}

void EncryptionSettings::save(RegistryAccess& registry) const {
  registry.SaveStringValue(platform::Root::User, keys::Settings, "subfolders", includeSubfolders ? "1" : "0");
}

}  // namespace tessara::encryption
