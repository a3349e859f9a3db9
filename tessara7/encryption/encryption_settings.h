#pragma once
// The encryption choices kept between runs: whether a folder is taken with
// its sub-folders ("subfolders" under the user's Settings key, "1" or "0").
// Read when a window that shows the choice comes up, written when it is
// ticked, from the configuration's page and from the Explorer prompt alike.
namespace tessara {

class RegistryAccess;

namespace encryption {

struct EncryptionSettings {
  bool includeSubfolders = false;

  static EncryptionSettings load(RegistryAccess& registry);
  void save(RegistryAccess& registry) const;
};

}  // namespace encryption
}  // namespace tessara
