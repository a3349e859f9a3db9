#include "tessara7/encryption/file_digest.h"

#include "platform/crypto.h"

namespace tessara {

std::string fileSha256Hex(platform::Files& files, std::string_view path) {
  const auto file = files.openRead(path);
  if (!file) return {};
  return platform::crypto::sha256Hex([&](std::span<std::uint8_t> buffer) { return file->read(buffer); });
}

}  // namespace tessara
