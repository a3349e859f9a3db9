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

}  // namespace tessara
