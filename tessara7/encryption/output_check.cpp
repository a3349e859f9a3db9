#include "tessara7/encryption/output_check.h"

#include <algorithm>

#include "tessara7/encryption/component_errors.h"

namespace tessara::encryption {
namespace {

constexpr std::size_t ChunksPerRead = 16;  // 1 MiB of content a read

}  // namespace

OutputCheck::OutputCheck(platform::OpenFile& file, const ts7::HeaderBytes& header, const ts7::FileKeys& keys,
                         std::uint64_t plainSize)
    : file_(file),
      header_(header),
      aes_(keys.content),
      plainSize_(plainSize),
      chunks_(ts7::chunkCount(plainSize)),
      fileSize_(ts7::fileSize(plainSize).value_or(0)),
      sealed_(ts7::HeaderSize + static_cast<std::size_t>(std::min<std::uint64_t>(plainSize, ChunksPerRead * ts7::ChunkSize)) +
              ChunksPerRead * ts7::TagSize + 1),
      plain_(static_cast<std::size_t>(std::min<std::uint64_t>(plainSize, ts7::ChunkSize))) {
  std::copy_n(header.begin() + ts7::MacOffset, ts7::MacSize, mac_.begin());
}

std::size_t OutputCheck::chunkLength(std::uint64_t index) const {
  return static_cast<std::size_t>(std::min<std::uint64_t>(ts7::ChunkSize, plainSize_ - index * ts7::ChunkSize));
}

std::optional<std::string> OutputCheck::readAll(std::uint64_t offset, std::span<std::uint8_t> bytes, std::size_t& got) {
  got = 0;
  while (got < bytes.size()) {
    const auto n = file_.readAt(offset + got, bytes.subspan(got));
    if (!n) return reasonText(file_.lastFailure());
    if (*n == 0) break;
    got += *n;
  }
  return std::nullopt;
}

std::optional<std::string> OutputCheck::upTo(std::uint64_t end) {
  // A flush that ended with the last write already checked it all.
  if (index_ == chunks_ && position_ == fileSize_) return std::nullopt;
  for (;;) {
    // The header (the first time), then as many whole chunks as lie before
    // `end`, in one read; past the last chunk one byte more, which must not
    // be there. A small file is checked with one read.
    const std::size_t head = position_ == 0 ? ts7::HeaderSize : 0;
    if (position_ + head > end) return std::nullopt;
    std::size_t count = 0;
    std::size_t bytes = head;
    while (count < ChunksPerRead && index_ + count < chunks_ &&
           position_ + bytes + chunkLength(index_ + count) + ts7::TagSize <= end) {
      bytes += chunkLength(index_ + count) + ts7::TagSize;
      ++count;
    }
    const bool last = index_ + count == chunks_ && end >= fileSize_;
    if (bytes == 0) return end >= fileSize_ ? std::optional<std::string>("it is shorter than written") : std::nullopt;
    const auto region = std::span(sealed_).first(bytes + (last ? 1 : 0));
    std::size_t got = 0;
    if (auto why = readAll(position_, region, got)) return why;
    if (got < bytes) return "it is shorter than written";
    if (got > bytes) return "it is longer than written";
    if (head != 0 && !std::equal(header_.begin(), header_.end(), region.begin())) return "its header differs";
    std::size_t at = head;
    for (std::size_t i = 0; i < count; ++i, ++index_) {
      const std::size_t length = chunkLength(index_);
      const auto nonce = ts7::chunkNonce(index_, index_ + 1 == chunks_);
      if (!aes_.open(nonce, mac_, region.subspan(at, length), region.subspan(at + length).first<ts7::TagSize>(),
                     std::span(plain_).first(length)))
        return "a chunk does not authenticate";
      at += length + ts7::TagSize;
    }
    position_ += bytes;
    if (last) return std::nullopt;
    if (count == 0 && end < fileSize_) return std::nullopt;
  }
}

}  // namespace tessara::encryption
