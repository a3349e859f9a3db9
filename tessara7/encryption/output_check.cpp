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
      sealed_(static_cast<std::size_t>(std::min<std::uint64_t>(plainSize, ChunksPerRead * ts7::ChunkSize)) +
              ChunksPerRead * ts7::TagSize),
      plain_(static_cast<std::size_t>(std::min<std::uint64_t>(plainSize, ts7::ChunkSize))) {
  std::copy_n(header.begin() + ts7::MacOffset, ts7::MacSize, mac_.begin());
}

std::size_t OutputCheck::chunkLength(std::uint64_t index) const {
  return static_cast<std::size_t>(std::min<std::uint64_t>(ts7::ChunkSize, plainSize_ - index * ts7::ChunkSize));
}

std::optional<std::string> OutputCheck::readExactly(std::uint64_t offset, std::span<std::uint8_t> bytes) {
  std::size_t got = 0;
  while (got < bytes.size()) {
    const auto n = file_.readAt(offset + got, bytes.subspan(got));
    if (!n) return reasonText(file_.lastFailure());
    if (*n == 0) return "it is shorter than written";
    got += *n;
  }
  return std::nullopt;
}

std::optional<std::string> OutputCheck::upTo(std::uint64_t end) {
  if (position_ == 0 && end >= ts7::HeaderSize) {
    ts7::HeaderBytes readBack{};
    if (auto why = readExactly(0, readBack)) return why;
    if (readBack != header_) return "its header differs";
    position_ = ts7::HeaderSize;
  }
  while (index_ < chunks_ && position_ != 0) {
    // As many whole chunks as lie before `end`, one read for them all.
    std::size_t count = 0;
    std::size_t bytes = 0;
    while (count < ChunksPerRead && index_ + count < chunks_ &&
           position_ + bytes + chunkLength(index_ + count) + ts7::TagSize <= end) {
      bytes += chunkLength(index_ + count) + ts7::TagSize;
      ++count;
    }
    if (count == 0) break;
    const auto sealed = std::span(sealed_).first(bytes);
    if (auto why = readExactly(position_, sealed)) return why;
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i, ++index_) {
      const std::size_t length = chunkLength(index_);
      const auto nonce = ts7::chunkNonce(index_, index_ + 1 == chunks_);
      if (!aes_.open(nonce, mac_, sealed.subspan(at, length), sealed.subspan(at + length).first<ts7::TagSize>(),
                     std::span(plain_).first(length)))
        return "a chunk does not authenticate";
      at += length + ts7::TagSize;
    }
    position_ += bytes;
  }
  if (end < fileSize_) return std::nullopt;
  if (index_ < chunks_ || position_ != fileSize_) return "it is shorter than written";
  std::uint8_t extra = 0;
  const auto n = file_.readAt(fileSize_, {&extra, 1});
  if (!n) return reasonText(file_.lastFailure());
  if (*n != 0) return "it is longer than written";
  return std::nullopt;
}

}  // namespace tessara::encryption
