#pragma once
// Published test vectors for the crypto interface, compiled into the native
// tests (OpenSSL) and the Windows tests (CNG), so both backends are held to
// the same answers.
#include <gtest/gtest.h>

#include <string>

#include "platform/crypto.h"
#include "tests/shared/hex.h"

namespace crypto_known_answers {

using platform::crypto::AesGcm;
using testing_hex::bytes;
using testing_hex::hex;

inline std::vector<std::uint8_t> text(std::string_view s) { return {s.begin(), s.end()}; }

TEST(CryptoKnownAnswers, Pbkdf2HmacSha256) {
  std::array<std::uint8_t, 32> out{};
  ASSERT_TRUE(platform::crypto::pbkdf2Sha256("password", text("salt"), 4096, out));
  EXPECT_EQ(hex(out), "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
  ASSERT_TRUE(platform::crypto::pbkdf2Sha256("password", text("salt"), 1, out));
  EXPECT_EQ(hex(out), "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
  EXPECT_FALSE(platform::crypto::pbkdf2Sha256("password", text("salt"), 0, out));
}

// Given in pieces or at once, empty or not, the digest is the published one.
TEST(CryptoKnownAnswers, Sha256InPieces) {
  platform::crypto::Digest digest{};
  platform::crypto::Sha256 empty;
  ASSERT_TRUE(empty.finish(digest));
  EXPECT_EQ(hex(digest), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_FALSE(empty.finish(digest)) << "a finished hash is spent";
  platform::crypto::Sha256 pieces;
  const auto message = text("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq");
  ASSERT_TRUE(pieces.update(std::span(message).first(10)));
  ASSERT_TRUE(pieces.update({}));
  ASSERT_TRUE(pieces.update(std::span(message).subspan(10)));
  ASSERT_TRUE(pieces.finish(digest));
  EXPECT_EQ(hex(digest), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(CryptoKnownAnswers, HmacSha256AndHkdf) {
  platform::crypto::Digest mac{};
  ASSERT_TRUE(platform::crypto::hmacSha256(text("Jefe"), text("what do ya want for nothing?"), mac));
  EXPECT_EQ(hex(mac), "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  // HKDF's first published case: 42 bytes, which takes two HMAC blocks.
  std::vector<std::uint8_t> okm(42);
  ASSERT_TRUE(platform::crypto::hkdfSha256(std::vector<std::uint8_t>(22, 0x0b), bytes("000102030405060708090a0b0c"),
                                           bytes("f0f1f2f3f4f5f6f7f8f9"), okm));
  EXPECT_EQ(hex(okm), "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865");
}

TEST(CryptoKnownAnswers, AesGcmSealsAndOpensWithOneKey) {
  const auto key = bytes("feffe9928665731c6d6a8f9467308308");
  const auto nonce = bytes("cafebabefacedbaddecaf888");
  const auto plain = bytes(
      "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657"
      "ba637b39");
  const auto aad = bytes("feedfacedeadbeeffeedfacedeadbeefabaddad2");
  AesGcm aes(std::span<const std::uint8_t, 16>(key.data(), 16));
  ASSERT_TRUE(aes.valid());
  const std::span<const std::uint8_t, 12> n(nonce.data(), 12);
  std::vector<std::uint8_t> cipher(plain.size());
  std::array<std::uint8_t, 16> tag{};
  // The same key object serves several messages, with and without data.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(aes.seal(n, aad, plain, cipher, tag));
    EXPECT_EQ(hex(cipher),
              "42831ec2217774244b7221b784d0d49ce3aa212f2c02a4e035c17e2329aca12e21d514b25466931c7d8f6a5aac84aa051ba30b39"
              "6a0aac973d58e091");
    EXPECT_EQ(hex(tag), "5bc94fbc3221a5db94fae95ae7121a47");
    std::array<std::uint8_t, 16> emptyTag{};
    ASSERT_TRUE(aes.seal(n, {}, {}, {}, emptyTag));
  }
  std::vector<std::uint8_t> opened(cipher.size());
  ASSERT_TRUE(aes.open(n, aad, cipher, tag, opened));
  EXPECT_EQ(opened, plain);
  // Any change to the text, the data or the tag fails to authenticate.
  cipher[7] ^= 1;
  EXPECT_FALSE(aes.open(n, aad, cipher, tag, opened));
  cipher[7] ^= 1;
  EXPECT_FALSE(aes.open(n, {}, cipher, tag, opened));
  tag[15] ^= 0x80;
  EXPECT_FALSE(aes.open(n, aad, cipher, tag, opened));
  // The first published case: zero key and nonce, nothing to encrypt.
  const std::array<std::uint8_t, 16> zeroKey{};
  const std::array<std::uint8_t, 12> zeroNonce{};
  AesGcm zero(zeroKey);
  ASSERT_TRUE(zero.seal(zeroNonce, {}, {}, {}, tag));
  EXPECT_EQ(hex(tag), "58e2fccefa7e3061367f1d57a4e7455a");
}

TEST(CryptoKnownAnswers, RandomBytesDiffer) {
  std::array<std::uint8_t, 32> a{}, b{};
  ASSERT_TRUE(platform::crypto::randomBytes(a));
  ASSERT_TRUE(platform::crypto::randomBytes(b));
  EXPECT_NE(a, b);
}

}  // namespace crypto_known_answers
