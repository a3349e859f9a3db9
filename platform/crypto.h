#pragma once
// Cryptography from the platform: the system's random generator, SHA-256,
// PBKDF2 and HMAC over SHA-256, and AES-128-GCM. The Windows build uses CNG (bcrypt), the
// native build OpenSSL; both give the same bytes for the same inputs, so data
// written by one is read by the other. Nothing here is computed by hand.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shared/hex.h"

namespace platform::crypto {

constexpr std::size_t Sha256Size = 32;
using Digest = std::array<std::uint8_t, Sha256Size>;

// Fills `out` from the system's cryptographic random generator.
bool randomBytes(std::span<std::uint8_t> out);

// PBKDF2 with HMAC-SHA256 as its pseudo-random function; fills all of `out`.
bool pbkdf2Sha256(std::string_view password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
                  std::span<std::uint8_t> out);

bool hmacSha256(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data, Digest& out);

// SHA-256 of data given in pieces, such as a file read block by block.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(Sha256&&) noexcept;
  Sha256& operator=(Sha256&&) noexcept;
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  bool update(std::span<const std::uint8_t> data);
  // The digest of everything given; the object is spent afterwards.
  bool finish(Digest& out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The SHA-256 of everything `read` gives, in lower-case hex, or empty when a
// read fails. `read(buffer)` fills the buffer and returns how much it put
// there (0 at the end) or std::nullopt; a file is read block by block.
template <typename Read>
std::string sha256Hex(Read&& read) {
  Sha256 hash;
  std::vector<std::uint8_t> buffer(1 << 16);
  for (;;) {
    const std::optional<std::size_t> got = read(std::span<std::uint8_t>(buffer));
    if (!got) return {};
    if (*got == 0) break;
    if (!hash.update(std::span<const std::uint8_t>(buffer).first(*got))) return {};
  }
  Digest digest{};
  if (!hash.finish(digest)) return {};
  return hex::toHex(digest);
}

// HKDF with SHA-256 (extract, then expand to out.size() bytes, at most
// 255 * 32), built on hmacSha256 above, so it is the same on every platform.
bool hkdfSha256(std::span<const std::uint8_t> inputKey, std::span<const std::uint8_t> salt,
                std::span<const std::uint8_t> info, std::span<std::uint8_t> out);

// AES-128-GCM under one key that is set up once and used for many messages:
// the key schedule (CNG's key handle, OpenSSL's cipher context) lives as long
// as the object. Not for use by two threads at once.
class AesGcm {
 public:
  static constexpr std::size_t KeySize = 16;
  static constexpr std::size_t NonceSize = 12;
  static constexpr std::size_t TagSize = 16;
  using Key = std::span<const std::uint8_t, KeySize>;
  using Nonce = std::span<const std::uint8_t, NonceSize>;

  explicit AesGcm(Key key);
  ~AesGcm();
  AesGcm(AesGcm&&) noexcept;
  AesGcm& operator=(AesGcm&&) noexcept;
  AesGcm(const AesGcm&) = delete;
  AesGcm& operator=(const AesGcm&) = delete;

  // False when the system could not set the key up.
  bool valid() const { return state_ != nullptr; }

  // Encrypts `plain` into `cipher` (the same size) and writes the tag.
  bool seal(Nonce nonce, std::span<const std::uint8_t> aad, std::span<const std::uint8_t> plain,
            std::span<std::uint8_t> cipher, std::span<std::uint8_t, TagSize> tag);
  // Decrypts `cipher` into `plain` (the same size). False when the tag does
  // not authenticate the message; `plain` must not be used then.
  bool open(Nonce nonce, std::span<const std::uint8_t> aad, std::span<const std::uint8_t> cipher,
            std::span<const std::uint8_t, TagSize> tag, std::span<std::uint8_t> plain);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Overwrites key material before its memory is given back, in a way the
// optimiser does not remove.
void wipe(std::span<std::uint8_t> bytes);

}  // namespace platform::crypto
