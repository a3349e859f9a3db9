#pragma once
// Which store is in force for the user this program runs for. The user's own
// store ("This user") holds only when the user chose it in the user's
// settings AND the owner recorded that choice for this user under
// HKEY_LOCAL_MACHINE, where only administrators can write: a user cannot put
// themselves into an empty store of their own by writing one value.
#include <string>

#include "tessara7/settings/registry_access.h"

namespace tessara {

class UserScope {
 public:
  UserScope(RegistryAccess& registry, std::string userSid);

  // The user's own store holds.
  bool granted() const;
  // Records the owner's choice (both halves); false when the machine's half
  // could not be written (no administrator rights), so it will not hold.
  bool choose(bool thisUser);

 private:
  RegistryAccess& registry_;
  std::string sid_;
};

}  // namespace tessara
