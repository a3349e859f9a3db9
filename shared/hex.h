#pragma once
// Bytes as lower-case hexadecimal text and back: digests, salts and MACs
// stored as text. Header-only and free of windows.h.
#include <charconv>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hex {

inline std::string toHex(std::span<const std::uint8_t> bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

// Exactly `size` bytes written as 2 * size hex digits (either case), or nothing.
inline std::optional<std::vector<std::uint8_t>> fromHex(std::string_view text, std::size_t size) {
  if (text.size() != size * 2) return std::nullopt;
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    const auto [end, error] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, bytes[i], 16);
    if (error != std::errc() || end != text.data() + 2 * i + 2) return std::nullopt;
  }
  return bytes;
}

}  // namespace hex
