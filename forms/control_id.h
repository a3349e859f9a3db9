#pragma once
// Stable numeric IDs for controls and menu items, derived from their names so
// that the Win32 binding and the end-to-end tests agree without a table.
// Uniqueness within each form is checked by a unit test.
#include <cstdint>
#include <string_view>

namespace forms {

constexpr int controlId(std::string_view name) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return 1000 + static_cast<int>(hash % 60000u);  // fits WM_COMMAND's 16-bit ID
}

}  // namespace forms
