#include "tessara7/settings/registry_access.h"

#include "tessara7/settings/store_keys.h"

namespace tessara {

namespace {

bool sameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

}  // namespace

std::optional<std::string> RegistryAccess::managedText(std::string_view key, std::string_view name) const {
  if (managed_ == nullptr) return std::nullopt;
  if (sameKey(key, keys::Settings)) return managed_->setting(name);
  // The master password: a hash text, set for every scope.
  if (sameKey(key, keys::Password) && sameKey(name, "title2"))
    return managed_->setting(ManagedSettings::MasterPasswordValue);
  return std::nullopt;
}

// Every operation swallows what the platform throws (out of memory, in
// practice): the callers are written for a layer that cannot fail.

std::string RegistryAccess::GetStringValue(platform::Root root, std::string_view key,
                                           std::string_view name) const noexcept {
  try {
    if (auto managed = managedText(key, name)) return *managed;
    const auto value = registry_.read(root, key, name);
    if (value && value->type == platform::ValueType::String) return value->text;
  } catch (...) {
  }
  return {};
}

void RegistryAccess::SaveStringValue(platform::Root root, std::string_view key, std::string_view name,
                                     std::string_view text) noexcept {
  try {
    if (managedText(key, name)) return;
    registry_.writeString(root, key, name, text);
  } catch (...) {
  }
}

std::int32_t RegistryAccess::GetDwordValue(platform::Root root, std::string_view key,
                                           std::string_view name) const noexcept {
  try {
    const auto value = registry_.read(root, key, name);
    if (value && value->type == platform::ValueType::Dword) return static_cast<std::int32_t>(value->dword);
  } catch (...) {
  }
  return 0;
}

void RegistryAccess::SaveDwordValue(platform::Root root, std::string_view key, std::string_view name,
                                    std::int32_t value) noexcept {
  try {
    if (managedText(key, name)) return;
    registry_.writeDword(root, key, name, static_cast<std::uint32_t>(value));
  } catch (...) {
  }
}

void RegistryAccess::DeleteKey(platform::Root root, std::string_view key) noexcept {
  try {
    registry_.deleteKey(root, key);
  } catch (...) {
  }
}

void RegistryAccess::DeleteValue(platform::Root root, std::string_view key,
                                 std::string_view name) noexcept {
  try {
    if (managedText(key, name)) return;
    registry_.deleteValue(root, key, name);
  } catch (...) {
  }
}

void RegistryAccess::CreateKey(platform::Root root, std::string_view key) noexcept {
  try {
    registry_.createKey(root, key);
  } catch (...) {
  }
}

std::vector<std::string> RegistryAccess::SubKeyNames(platform::Root root, std::string_view key) const noexcept {
  try {
    return registry_.subKeys(root, key);
  } catch (...) {
  }
  return {};
}

std::size_t RegistryAccess::SubKeyCount(platform::Root root, std::string_view key) const noexcept {
  try {
    return registry_.subKeyCount(root, key);
  } catch (...) {
  }
  return 0;
}

std::vector<std::string> RegistryAccess::ValueNames(platform::Root root, std::string_view key) const noexcept {
  try {
    return registry_.valueNames(root, key);
  } catch (...) {
  }
  return {};
}

void RegistryAccess::readStrings(platform::Root root, std::string_view key, std::span<const std::string_view> names,
                                 std::span<std::string> texts) const noexcept {
  try {
    const auto values = registry_.readMany(root, key, names);
    for (std::size_t i = 0; i < texts.size() && i < values.size(); ++i)
      if (values[i] && values[i]->type == platform::ValueType::String) texts[i] = values[i]->text;
    for (std::size_t i = 0; i < texts.size() && i < names.size(); ++i)
      if (auto managed = managedText(key, names[i])) texts[i] = *managed;
  } catch (...) {
  }
}

std::vector<std::vector<std::string>> RegistryAccess::GetStringValuesOfKeys(
    platform::Root root, std::span<const std::string> keys, std::span<const std::string_view> names) const noexcept {
  try {
    std::vector<std::vector<std::string>> rows(keys.size(), std::vector<std::string>(names.size()));
    auto values = registry_.readManyKeys(root, keys, names);
    for (std::size_t k = 0; k < rows.size() && k < values.size(); ++k) {
      for (std::size_t i = 0; i < names.size() && i < values[k].size(); ++i)
        if (values[k][i] && values[k][i]->type == platform::ValueType::String) rows[k][i] = std::move(values[k][i]->text);
      for (std::size_t i = 0; i < names.size(); ++i)
        if (auto managed = managedText(keys[k], names[i])) rows[k][i] = *managed;
    }
    return rows;
  } catch (...) {
  }
  return {};
}

std::vector<RegistryAccess::NamedText> RegistryAccess::GetAllStringValues(platform::Root root,
                                                                         std::string_view key) const noexcept {
  try {
    std::vector<NamedText> texts;
    for (auto& [name, value] : registry_.readAll(root, key))
      if (value.type == platform::ValueType::String) texts.push_back({std::move(name), std::move(value.text)});
    for (NamedText& text : texts)
      if (auto managed = managedText(key, text.name)) text.text = *managed;
    return texts;
  } catch (...) {
  }
  return {};
}

}  // namespace tessara
