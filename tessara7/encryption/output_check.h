#pragma once
// The check of a .ts7 output, done as its parts reach the disk: what a flush
// covered is read back through the handle that wrote it, the header compared
// with the one written and every chunk authenticated with the content key,
// each byte once. docs/ts7-format.md says what this proves.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/crypto.h"
#include "platform/files.h"
#include "tessara7/encryption/ts7_format.h"

namespace tessara::encryption {

class OutputCheck {
 public:
  OutputCheck(platform::OpenFile& file, const ts7::HeaderBytes& header, const ts7::FileKeys& keys,
              std::uint64_t plainSize);
  bool valid() const { return aes_.valid(); }
  // Checks the output up to `end` (every whole chunk before it, the header
  // first); once `end` is the whole file's size, also that nothing is
  // missing and nothing follows. Why not, or nothing when all is right.
  std::optional<std::string> upTo(std::uint64_t end);

 private:
  // Up to `bytes.size()` bytes at `offset` (`got`: fewer only at the end), or why not.
  std::optional<std::string> readAll(std::uint64_t offset, std::span<std::uint8_t> bytes, std::size_t& got);
  std::size_t chunkLength(std::uint64_t index) const;

  platform::OpenFile& file_;
  ts7::HeaderBytes header_;
  std::array<std::uint8_t, ts7::MacSize> mac_{};
  platform::crypto::AesGcm aes_;  // its own: the caller's seals beside it
  std::uint64_t plainSize_;
  std::uint64_t chunks_;
  std::uint64_t fileSize_;
  std::uint64_t index_ = 0;     // the next chunk to check
  std::uint64_t position_ = 0;  // where it starts
  std::vector<std::uint8_t> sealed_;
  std::vector<std::uint8_t> plain_;
};

}  // namespace tessara::encryption
