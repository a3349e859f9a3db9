#include "tessara7/encryption/file_digest.h"

#include <array>
#include <cstdint>
#include <vector>

#include "platform/crypto.h"

namespace tessara {

std::string fileSha256Hex(platform::Files& files, std::string_view path) {
  const auto file = files.openRead(path);
  if (!file) return {};
  platform::crypto::Sha256 hash;
  std::vector<std::uint8_t> buffer(1 << 16);
  for (;;) {
    const auto read = file->read(buffer);
    if (!read) return {};
    if (*read == 0) break;
    if (!hash.update(std::span(buffer).first(*read))) return {};
  }
  platform::crypto::Digest digest{};
  if (!hash.finish(digest)) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

}  // namespace tessara
