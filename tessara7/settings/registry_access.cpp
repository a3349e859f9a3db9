#include "tessara7/settings/registry_access.h"

namespace tessara {

// Every operation swallows what the platform throws (out of memory, in
// practice): the callers are written for a layer that cannot fail.

std::string RegistryAccess::GetStringValue(platform::Root root, std::string_view key,
                                           std::string_view name) const noexcept {
  try {
    const auto value = registry_.read(root, key, name);
    if (value && value->type == platform::ValueType::String) return value->text;
  } catch (...) {
  }
  return {};
}

void RegistryAccess::SaveStringValue(platform::Root root, std::string_view key, std::string_view name,
                                     std::string_view text) noexcept {
  try {
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
  } catch (...) {
  }
}

std::vector<RegistryAccess::NamedText> RegistryAccess::GetAllStringValues(platform::Root root,
                                                                         std::string_view key) const noexcept {
  try {
    std::vector<NamedText> texts;
    for (auto& [name, value] : registry_.readAll(root, key))
      if (value.type == platform::ValueType::String) texts.push_back({std::move(name), std::move(value.text)});
    return texts;
  } catch (...) {
  }
  return {};
}

}  // namespace tessara
