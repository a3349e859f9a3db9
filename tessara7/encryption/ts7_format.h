#pragma once
// The .ts7 file: a fixed, authenticated header, then the content in sealed
// chunks. docs/ts7-format.md has the layout and its version rule.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessara::encryption::ts7 {

constexpr std::array<std::uint8_t, 8> Magic = {'T', 'S', '7', 'F', 'I', 'L', 'E', 0x1A};
constexpr std::uint16_t Version = 1;
constexpr std::uint8_t KdfPbkdf2Sha256 = 1;
constexpr std::uint8_t CipherAes128GcmStream = 1;
constexpr std::size_t ChunkSize = 64 * 1024;
constexpr std::size_t TagSize = 16;
constexpr std::size_t SaltSize = 16;
constexpr std::size_t FileRandomSize = 16;
constexpr std::size_t KeyCheckSize = 16;
constexpr std::size_t MacSize = 32;
constexpr std::size_t MacOffset = 80;  // the MAC covers every byte before it
constexpr std::size_t HeaderSize = MacOffset + MacSize;

using Salt = std::array<std::uint8_t, SaltSize>;
using FileRandom = std::array<std::uint8_t, FileRandomSize>;
using RunKey = std::array<std::uint8_t, 32>;  // PBKDF2 of password and salt
using HeaderBytes = std::array<std::uint8_t, HeaderSize>;

struct Header {
  std::uint16_t version = Version;
  std::uint8_t kdf = KdfPbkdf2Sha256;
  std::uint8_t cipher = CipherAes128GcmStream;
  std::uint32_t iterations = 0;
  Salt salt{};
  FileRandom fileRandom{};
  std::uint64_t plainSize = 0;
  std::uint64_t lastWriteTime = 0;
  std::array<std::uint8_t, KeyCheckSize> keyCheck{};
  std::array<std::uint8_t, MacSize> mac{};
};

// The keys of one file, from the run key and the file's random value.
struct FileKeys {
  std::array<std::uint8_t, 16> content{};
  std::array<std::uint8_t, 32> header{};
  std::array<std::uint8_t, KeyCheckSize> keyCheck{};
  ~FileKeys();
};

enum class ParseResult { Ok, NotTs7, UnknownVersion };

HeaderBytes serialize(const Header& header);
// Reads the fields; checks the magic and that this version knows the
// version, KDF and cipher. Authenticity is checked later, with the keys.
ParseResult parse(std::span<const std::uint8_t, HeaderSize> bytes, Header& header);

bool deriveFileKeys(const RunKey& runKey, const FileRandom& fileRandom, FileKeys& keys);
// HMAC of the header's bytes before the MAC under the header key.
bool headerMac(const FileKeys& keys, const HeaderBytes& bytes, std::array<std::uint8_t, MacSize>& mac);
bool equalBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);  // in constant time

// Chunks: an empty file still has one (empty, last) chunk.
std::uint64_t chunkCount(std::uint64_t plainSize);
// The whole file's size for a plain size; nullopt when it cannot be represented.
std::optional<std::uint64_t> fileSize(std::uint64_t plainSize);
// The nonce of chunk `index`: the index as 11 big-endian bytes, then 1 on the
// last chunk and 0 on every other, so chunks cannot be moved, dropped or added.
std::array<std::uint8_t, 12> chunkNonce(std::uint64_t index, bool last);

}  // namespace tessara::encryption::ts7
