#include "tessara7/settings/user_scope.h"

#include "tessara7/settings/store_keys.h"

namespace tessara {

namespace {
constexpr const char* kChoice = "CurrentUser";
constexpr const char* kEnabled = "Enabled";
}  // namespace

UserScope::UserScope(RegistryAccess& registry, std::string userSid) : registry_(registry), sid_(std::move(userSid)) {}

bool UserScope::granted() const {
  using platform::Root;
  if (registry_.GetStringValue(Root::User, keys::Settings, kChoice) != kEnabled) return false;
  return !sid_.empty() && registry_.GetStringValue(Root::Machine, keys::ScopeUsers, sid_) == kEnabled;
}

bool UserScope::choose(bool thisUser) {
  using platform::Root;
  registry_.SaveStringValue(Root::User, keys::Settings, kChoice, thisUser ? kEnabled : "Disabled");
  if (sid_.empty()) return !thisUser;
  if (!thisUser) {
    registry_.DeleteValue(Root::Machine, keys::ScopeUsers, sid_);
    return true;
  }
  registry_.SaveStringValue(Root::Machine, keys::ScopeUsers, sid_, kEnabled);
  return registry_.GetStringValue(Root::Machine, keys::ScopeUsers, sid_) == kEnabled;
}

}  // namespace tessara
