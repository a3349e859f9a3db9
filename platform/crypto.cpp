// The parts of the crypto interface that are the same on every platform.
#include <algorithm>
#include <vector>

#include "platform/crypto.h"

namespace platform::crypto {

bool hkdfSha256(std::span<const std::uint8_t> inputKey, std::span<const std::uint8_t> salt,
                std::span<const std::uint8_t> info, std::span<std::uint8_t> out) {
  if (out.size() > 255 * Sha256Size) return false;
  // Extract: a missing salt is a string of zeros as long as the hash.
  const Digest zeros{};
  Digest pseudoRandomKey{};
  if (!hmacSha256(salt.empty() ? std::span<const std::uint8_t>(zeros) : salt, inputKey, pseudoRandomKey))
    return false;
  // Expand: T(i) = HMAC(PRK, T(i-1) | info | i).
  std::vector<std::uint8_t> block;
  Digest previous{};
  std::size_t done = 0;
  bool ok = true;
  for (std::uint8_t counter = 1; done < out.size(); ++counter) {
    block.clear();
    if (counter > 1) block.insert(block.end(), previous.begin(), previous.end());
    block.insert(block.end(), info.begin(), info.end());
    block.push_back(counter);
    if (!hmacSha256(pseudoRandomKey, block, previous)) {
      ok = false;
      break;
    }
    const std::size_t take = std::min(Sha256Size, out.size() - done);
    std::copy_n(previous.begin(), take, out.begin() + static_cast<std::ptrdiff_t>(done));
    done += take;
  }
  wipe(pseudoRandomKey);
  wipe(previous);
  wipe(block);
  return ok;
}

void wipe(std::span<std::uint8_t> bytes) {
  volatile std::uint8_t* p = bytes.data();
  for (std::size_t i = 0; i < bytes.size(); ++i) p[i] = 0;
}

}  // namespace platform::crypto
