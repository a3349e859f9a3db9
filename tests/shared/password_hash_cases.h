#pragma once
// The stored form of the master password, compiled into the native tests
// (OpenSSL) and the Windows tests (CNG): a hash written by either build must
// be accepted by the other, so both check the same fixed text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tessara7/locking/password_hash.h"

namespace password_hash_cases {

using tessara::PasswordHash;

// "openbox" under the salt 00 01 .. 0f and 1000 iterations.
inline const std::string OpenboxVector =
    "$pbkdf2-sha256$1000$000102030405060708090a0b0c0d0e0f$"
    "cf4e37ab62af6f5d938bbf93b1d3fdc23c27f090173ba8aa0d6806da7c27f82d";

TEST(PasswordHash, AFixedHashIsCheckedByItsOwnSaltAndCount) {
  ASSERT_TRUE(PasswordHash::isHash(OpenboxVector));
  EXPECT_TRUE(PasswordHash::matches("openbox", OpenboxVector));
  for (const char* other : {"OPENBOX", "openbox ", "", "openbo"}) EXPECT_FALSE(PasswordHash::matches(other, OpenboxVector)) << other;
  // The count is part of the text: the same digest under another count is another password's.
  std::string recounted = OpenboxVector;
  recounted.replace(recounted.find("$1000$"), 6, "$1001$");
  EXPECT_TRUE(PasswordHash::isHash(recounted));
  EXPECT_FALSE(PasswordHash::matches("openbox", recounted));
}

TEST(PasswordHash, EachHashHasAFreshSaltAndCarriesItsForm) {
  const std::string first = PasswordHash::make("pässwort", 1000);
  const std::string second = PasswordHash::make("pässwort", 1000);
  ASSERT_TRUE(PasswordHash::isHash(first)) << first;
  EXPECT_NE(first, second) << "the same password under two salts";
  EXPECT_TRUE(first.starts_with("$pbkdf2-sha256$1000$")) << first;
  EXPECT_EQ(first.size(), std::string("$pbkdf2-sha256$1000$").size() + 32 + 1 + 64);
  EXPECT_EQ(first.find("pässwort"), std::string::npos);
  EXPECT_TRUE(PasswordHash::matches("pässwort", first));
  EXPECT_TRUE(PasswordHash::matches("pässwort", second));
  EXPECT_FALSE(PasswordHash::matches("passwort", first));
  EXPECT_EQ(PasswordHash::make("x", 0), "") << "no hash without iterations";
}

// Anything not exactly of the form is the password itself, as an older
// version stored it; it never makes the program read a forged count.
TEST(PasswordHash, AnyOtherTextIsTheStoredPasswordItself) {
  const std::string salt = "000102030405060708090a0b0c0d0e0f";
  const std::string digest = "cf4e37ab62af6f5d938bbf93b1d3fdc23c27f090173ba8aa0d6806da7c27f82d";
  for (const std::string& text : std::vector<std::string>{
           "openbox", "$pbkdf2-sha256$", "$pbkdf2-sha256$0$" + salt + "$" + digest,
        "$pbkdf2-sha256$01000$" + salt + "$" + digest, "$pbkdf2-sha256$99999999$" + salt + "$" + digest,
        "$pbkdf2-sha256$1000$" + salt + "$" + digest + "$", "$pbkdf2-sha256$1000$" + salt.substr(2) + "$" + digest,
        "$pbkdf2-sha256$1000$" + salt + "$" + digest.substr(1) + "g", "$pbkdf2-sha1$1000$" + salt + "$" + digest}) {
    EXPECT_FALSE(PasswordHash::isHash(text)) << text;
    EXPECT_TRUE(PasswordHash::matches(text, text)) << text;
    EXPECT_FALSE(PasswordHash::matches("openbox", text + "x"));
  }
}

}  // namespace password_hash_cases
