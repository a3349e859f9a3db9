#pragma once
// Hexadecimal text to bytes and back, for known-answer tests.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testing_hex {

inline std::vector<std::uint8_t> bytes(std::string_view hex) {
  std::vector<std::uint8_t> out;
  const auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
  return out;
}

template <typename Bytes>
std::string hex(const Bytes& data) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  for (const std::uint8_t b : data) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace testing_hex
