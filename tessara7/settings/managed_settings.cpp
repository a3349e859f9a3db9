#include "tessara7/settings/managed_settings.h"

#include <algorithm>

#include "tessara7/common/text.h"

namespace tessara {

bool ManagedSettings::load(platform::Registry& registry) {
  std::map<std::string, std::string, std::less<>> values;
  // The user's first, so that the machine's overwrite them.
  for (const platform::Root root : {platform::Root::User, platform::Root::Machine}) {
    try {
      for (const auto& named : registry.readAll(root, PolicySettingsKey)) {
        const platform::Value& value = named.value;
        if (value.type == platform::ValueType::String) values[lowerCase(named.name)] = value.text;
        else if (value.type == platform::ValueType::Dword) values[lowerCase(named.name)] = std::to_string(value.dword);
      }
    } catch (...) {
      // An unreadable policy key manages nothing.
    }
  }
  std::optional<std::vector<std::string>> tasks;
  for (const platform::Root root : {platform::Root::Machine, platform::Root::User}) {
    try {
      if (!registry.keyExists(root, PolicyTasksKey)) continue;
      std::vector<platform::NamedValue> named = registry.readAll(root, PolicyTasksKey);
      // In name order, Task2 before Task10 (the template's list names them so).
      std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : lowerCase(a.name) < lowerCase(b.name);
      });
      tasks.emplace();
      for (const auto& value : named)
        if (value.value.type == platform::ValueType::String && !value.value.text.empty()) tasks->push_back(value.value.text);
      break;
    } catch (...) {
    }
  }
  const bool changed = values != values_ || tasks != tasks_;
  values_ = std::move(values);
  tasks_ = std::move(tasks);
  return changed;
}

std::optional<std::string> ManagedSettings::setting(std::string_view name) const {
  const auto found = values_.find(lowerCase(name));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

}  // namespace tessara
