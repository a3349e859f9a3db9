#pragma once
// The main program's only way to the registry: seven operations that never
// report an error. A missing key or value, a value of another type or a
// refused access reads as "" or 0, and a failed write is silently lost;
// callers treat an absent value and an empty one alike.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tessara {

class RegistryAccess {
 public:
  explicit RegistryAccess(platform::Registry& registry) : registry_(registry) {}

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

 private:
  platform::Registry& registry_;
};

}  // namespace tessara
