#pragma once
// Settings an administrator manages through Group Policy: values under
// Software\Policies\TSR\Settings, of the same names as the store's settings,
// under HKEY_LOCAL_MACHINE (for the whole PC) and HKEY_CURRENT_USER (per
// user). A managed setting overrides the store in both scopes, the
// machine's value winning over the user's, and is never written by Apply.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace tessara {

class ManagedSettings {
 public:
  static constexpr const char* PolicySettingsKey = "Software\\Policies\\TSR\\Settings";
  // The locked tasks, one value each (any name, the task as text, in name
  // order): the machine's list if it has one, else the user's.
  static constexpr const char* PolicyTasksKey = "Software\\Policies\\TSR\\Tasks";
  // The master password as the stored hash text, a value of the settings key.
  static constexpr const char* MasterPasswordValue = "MasterPassword";

  // Reads both roots again; true when anything managed changed.
  bool load(platform::Registry& registry);

  // The managed text of a setting: a string as it stands, a number in
  // decimal (a policy's "enabled" DWORD 1 reads as the store's "1").
  std::optional<std::string> setting(std::string_view name) const;
  bool any() const { return !values_.empty() || tasks_.has_value(); }
  // The managed lock list, or nothing when the owner's list holds.
  const std::optional<std::vector<std::string>>& tasks() const { return tasks_; }

 private:
  std::map<std::string, std::string, std::less<>> values_;  // by lower-case name
  std::optional<std::vector<std::string>> tasks_;
};

}  // namespace tessara
