#pragma once
// The main program's only way to the registry: the seven operations of the
// store, plus listing and reading a whole key, none of which reports an
// error. A missing key or value, a value of another type or a refused access
// reads as "" or 0 (or an empty list), and a failed write is silently lost;
// callers treat an absent value and an empty one alike.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "tessara7/settings/managed_settings.h"

namespace tessara {

class RegistryAccess {
 public:
  explicit RegistryAccess(platform::Registry& registry) : registry_(registry) {}

  // Settings an administrator manages: under the settings key, in either
  // scope, a managed value is what reads; writes and deletes of it are
  // dropped, so that Apply leaves the policy's value alone.
  void manage(const ManagedSettings* managed) { managed_ = managed; }

  // The text of a string value up to its first NUL; "" otherwise.
  std::string GetStringValue(platform::Root root, std::string_view key,
                             std::string_view name) const noexcept;
  // Creates every missing key along the path; stores no terminating NUL.
  void SaveStringValue(platform::Root root, std::string_view key, std::string_view name,
                       std::string_view text) noexcept;
  // The 32-bit value of a DWORD value, read as signed; 0 otherwise.
  std::int32_t GetDwordValue(platform::Root root, std::string_view key,
                             std::string_view name) const noexcept;
  void SaveDwordValue(platform::Root root, std::string_view key, std::string_view name,
                      std::int32_t value) noexcept;
  // A key that still has sub-keys stays as it is.
  void DeleteKey(platform::Root root, std::string_view key) noexcept;
  void DeleteValue(platform::Root root, std::string_view key, std::string_view name) noexcept;
  // Creates the key and its missing parents; an existing key is left alone.
  void CreateKey(platform::Root root, std::string_view key) noexcept;

  // Names of the key's sub-keys and of its values, as the key lists them.
  std::vector<std::string> SubKeyNames(platform::Root root, std::string_view key) const noexcept;
  std::vector<std::string> ValueNames(platform::Root root, std::string_view key) const noexcept;
  std::size_t SubKeyCount(platform::Root root, std::string_view key) const noexcept;
  // Several string values of one key, read together: one text per name, as
  // GetStringValue would give it, for far fewer calls to the system.
  //   auto [window, enabled] = registry.GetStringValues(root, key, "Window", "Enabled");
  template <typename... Names>
  std::array<std::string, sizeof...(Names)> GetStringValues(platform::Root root, std::string_view key,
                                                            const Names&... names) const noexcept {
    const std::array<std::string_view, sizeof...(Names)> wanted{std::string_view(names)...};
    std::array<std::string, sizeof...(Names)> texts;
    readStrings(root, key, wanted, texts);
    return texts;
  }
  // The same string values of many keys, read side by side where the
  // platform can: one row per key, each text as GetStringValue would give it.
  std::vector<std::vector<std::string>> GetStringValuesOfKeys(platform::Root root, std::span<const std::string> keys,
                                                              std::span<const std::string_view> names) const noexcept;
  struct NamedText {
    std::string name;
    std::string text;
  };
  // Every string value of the key with its name, in the key's order; values
  // of other types are left out, as GetStringValue reads them as absent.
  std::vector<NamedText> GetAllStringValues(platform::Root root, std::string_view key) const noexcept;

 private:
  void readStrings(platform::Root root, std::string_view key, std::span<const std::string_view> names,
                   std::span<std::string> texts) const noexcept;

  // The managed text of a value of the settings key, if it is managed.
  std::optional<std::string> managedText(std::string_view key, std::string_view name) const;

  platform::Registry& registry_;
  const ManagedSettings* managed_ = nullptr;
};

}  // namespace tessara
