// The check of a .ts7 output against what the file gives back: in pieces, as
// flushes come, and naming what differs, is missing or follows.
#include "tessara7/encryption/output_check.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_files.h"

namespace {

using namespace tessara::encryption;

// A .ts7 file of `plainSize` bytes sealed under `keys`, with its header.
std::string sealedFile(const ts7::FileKeys& keys, std::uint64_t plainSize, ts7::HeaderBytes& headerBytes) {
  ts7::Header header;
  header.iterations = 1000;
  header.plainSize = plainSize;
  header.keyCheck = keys.keyCheck;
  EXPECT_TRUE(ts7::headerMac(keys, ts7::serialize(header), header.mac));
  headerBytes = ts7::serialize(header);
  std::string file(headerBytes.begin(), headerBytes.end());
  platform::crypto::AesGcm aes(keys.content);
  const std::uint64_t chunks = ts7::chunkCount(plainSize);
  for (std::uint64_t index = 0; index < chunks; ++index) {
    const std::size_t length = std::min<std::uint64_t>(ts7::ChunkSize, plainSize - index * ts7::ChunkSize);
    std::vector<std::uint8_t> plain(length, static_cast<std::uint8_t>(index)), cipher(length);
    std::array<std::uint8_t, ts7::TagSize> tag{};
    EXPECT_TRUE(aes.seal(ts7::chunkNonce(index, index + 1 == chunks), header.mac, plain, cipher, tag));
    file.append(cipher.begin(), cipher.end());
    file.append(tag.begin(), tag.end());
  }
  return file;
}

TEST(OutputCheckTest, ChecksInPiecesAndNamesWhatDiffersIsMissingOrFollows) {
  ts7::RunKey runKey{};
  runKey.fill(7);
  ts7::FileKeys keys;
  ASSERT_TRUE(ts7::deriveFileKeys(runKey, ts7::FileRandom{}, keys));
  const std::uint64_t plainSize = 20 * ts7::ChunkSize + 9;  // 21 chunks: more than one read
  ts7::HeaderBytes header{};
  const std::string whole = sealedFile(keys, plainSize, header);
  ASSERT_EQ(whole.size(), *ts7::fileSize(plainSize));

  const auto check = [&](const std::string& content, std::initializer_list<std::uint64_t> ends) {
    platform::sim::SimFiles files;
    files.addFile("C:\\out.ts7", content);
    auto file = files.openRead("C:\\out.ts7");
    OutputCheck outputCheck(*file, header, keys, plainSize);
    std::optional<std::string> why;
    for (const std::uint64_t end : ends)
      if (!why) why = outputCheck.upTo(end);
    return why.value_or("intact");
  };
  const std::uint64_t size = whole.size();
  // Flushes that end anywhere, the header not yet whole or mid-chunk, and a
  // last one that covers what an earlier one already did.
  EXPECT_EQ(check(whole, {50, ts7::HeaderSize + 70000, size / 2, size, size}), "intact");
  EXPECT_EQ(check(whole, {size}), "intact");

  std::string changed = whole;
  changed[20] ^= 1;
  EXPECT_EQ(check(changed, {size}), "its header differs");
  changed = whole;
  changed[size - 3] ^= 1;  // the last chunk's tag
  EXPECT_EQ(check(changed, {size / 2}), "intact") << "not flushed yet, not checked yet";
  EXPECT_EQ(check(changed, {size / 2, size}), "a chunk does not authenticate");
  EXPECT_EQ(check(whole + "x", {size}), "it is longer than written");
  EXPECT_EQ(check(whole.substr(0, size - 1), {size}), "it is shorter than written");
  EXPECT_EQ(check(whole.substr(0, size / 3), {size / 2}), "it is shorter than written");
}

}  // namespace
