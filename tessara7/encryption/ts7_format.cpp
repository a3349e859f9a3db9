#include "tessara7/encryption/ts7_format.h"

#include <algorithm>
#include <limits>

#include "platform/crypto.h"

namespace tessara::encryption::ts7 {
namespace {

template <typename T>
void putLittle(std::uint8_t* at, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <typename T>
T getLittle(const std::uint8_t* at) {
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(at[i]) << (8 * i));
  return value;
}

// Field offsets; the table in docs/ts7-format.md gives the same.
constexpr std::size_t VersionAt = 8, KdfAt = 10, CipherAt = 11, IterationsAt = 12, SaltAt = 16, FileRandomAt = 32,
                      PlainSizeAt = 48, TimeAt = 56, KeyCheckAt = 64;
static_assert(KeyCheckAt + KeyCheckSize == MacOffset);

constexpr char KeyInfo[] = "tessara ts7 v1 file keys";

}  // namespace

FileKeys::~FileKeys() {
  platform::crypto::wipe(content);
  platform::crypto::wipe(header);
}

HeaderBytes serialize(const Header& header) {
  HeaderBytes bytes{};
  std::copy(Magic.begin(), Magic.end(), bytes.begin());
  putLittle(&bytes[VersionAt], header.version);
  bytes[KdfAt] = header.kdf;
  bytes[CipherAt] = header.cipher;
  putLittle(&bytes[IterationsAt], header.iterations);
  std::copy(header.salt.begin(), header.salt.end(), bytes.begin() + SaltAt);
  std::copy(header.fileRandom.begin(), header.fileRandom.end(), bytes.begin() + FileRandomAt);
  putLittle(&bytes[PlainSizeAt], header.plainSize);
  putLittle(&bytes[TimeAt], header.lastWriteTime);
  std::copy(header.keyCheck.begin(), header.keyCheck.end(), bytes.begin() + KeyCheckAt);
  std::copy(header.mac.begin(), header.mac.end(), bytes.begin() + MacOffset);
  return bytes;
}

ParseResult parse(std::span<const std::uint8_t, HeaderSize> bytes, Header& header) {
  if (!std::equal(Magic.begin(), Magic.end(), bytes.begin())) return ParseResult::NotTs7;
  header.version = getLittle<std::uint16_t>(&bytes[VersionAt]);
  header.kdf = bytes[KdfAt];
  header.cipher = bytes[CipherAt];
  header.iterations = getLittle<std::uint32_t>(&bytes[IterationsAt]);
  std::copy_n(bytes.begin() + SaltAt, SaltSize, header.salt.begin());
  std::copy_n(bytes.begin() + FileRandomAt, FileRandomSize, header.fileRandom.begin());
  header.plainSize = getLittle<std::uint64_t>(&bytes[PlainSizeAt]);
  header.lastWriteTime = getLittle<std::uint64_t>(&bytes[TimeAt]);
  std::copy_n(bytes.begin() + KeyCheckAt, KeyCheckSize, header.keyCheck.begin());
  std::copy_n(bytes.begin() + MacOffset, MacSize, header.mac.begin());
  if (header.version != Version || header.kdf != KdfPbkdf2Sha256 || header.cipher != CipherAes128GcmStream)
    return ParseResult::UnknownVersion;
  return ParseResult::Ok;
}

bool deriveFileKeys(const RunKey& runKey, const FileRandom& fileRandom, FileKeys& keys) {
  std::array<std::uint8_t, 16 + 32 + KeyCheckSize> okm{};
  const auto* info = reinterpret_cast<const std::uint8_t*>(KeyInfo);
  const bool ok = platform::crypto::hkdfSha256(runKey, fileRandom, {info, sizeof KeyInfo - 1}, okm);
  if (ok) {
    std::copy_n(okm.begin(), 16, keys.content.begin());
    std::copy_n(okm.begin() + 16, 32, keys.header.begin());
    std::copy_n(okm.begin() + 48, KeyCheckSize, keys.keyCheck.begin());
  }
  platform::crypto::wipe(okm);
  return ok;
}

bool headerMac(const FileKeys& keys, const HeaderBytes& bytes, std::array<std::uint8_t, MacSize>& mac) {
  return platform::crypto::hmacSha256(keys.header, std::span(bytes).first(MacOffset), mac);
}

bool equalBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  if (a.size() != b.size()) return false;
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
  return difference == 0;
}

std::uint64_t chunkCount(std::uint64_t plainSize) {
  return plainSize == 0 ? 1 : (plainSize - 1) / ChunkSize + 1;
}

std::optional<std::uint64_t> fileSize(std::uint64_t plainSize) {
  constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t tags = chunkCount(plainSize) * TagSize;
  if (plainSize > max - tags - HeaderSize) return std::nullopt;
  return HeaderSize + plainSize + tags;
}

std::array<std::uint8_t, 12> chunkNonce(std::uint64_t index, bool last) {
  std::array<std::uint8_t, 12> nonce{};
  for (std::size_t i = 0; i < 8; ++i) nonce[10 - i] = static_cast<std::uint8_t>(index >> (8 * i));
  nonce[11] = last ? 1 : 0;
  return nonce;
}

}  // namespace tessara::encryption::ts7
