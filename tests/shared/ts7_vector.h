#pragma once
// The inputs of the checked-in .ts7 vector (tests/data/vector-v1.ts7). The
// native tests (OpenSSL) and the Windows tests (CNG) both write these inputs
// and must get exactly the file's bytes, and both decrypt the file, so a file
// written by either backend is read by the other.
#include <cstdint>
#include <span>
#include <string>

#include "platform/files.h"

namespace ts7_vector {

inline const std::string Password = "correct horse \xE2\x9C\x93";  // ends in U+2713
constexpr std::uint32_t Iterations = 600000;
constexpr platform::FileTime LastWrite = 133444444444444444;
constexpr const char* RelativePath = "tests/data/vector-v1.ts7";

// 70,000 bytes: two chunks, the second one short.
inline std::string content() {
  std::string text(70000, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return text;
}

// The "random" bytes: 0, 1, 2, ... across calls.
struct CountingRandom {
  std::uint8_t next = 0;
  bool operator()(std::span<std::uint8_t> out) {
    for (std::uint8_t& b : out) b = next++;
    return true;
  }
};

}  // namespace ts7_vector
