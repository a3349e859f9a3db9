#pragma once
// The master password as it is stored: a salted, slow hash that carries its
// own algorithm, iteration count and salt, so that no user who can read the
// registry can read the password, and a later version can raise the count
// without losing the passwords already stored. Text stored by an older
// version (the password itself, in lower case) is still understood.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessara {

// "$pbkdf2-sha256$<iterations>$<salt, 32 hex digits>$<hash, 64 hex digits>"
class PasswordHash {
 public:
  static constexpr std::string_view Scheme = "pbkdf2-sha256";
  // About 100 ms for one check under Wine (see the lock benchmark).
  static constexpr std::uint32_t DefaultIterations = 100000;

  // The stored text of a password (already in lower case), with a fresh salt;
  // empty when the system gave no random bytes or could not hash.
  static std::string make(std::string_view password, std::uint32_t iterations = DefaultIterations);

  // Whether the stored text is a hash of this form (and not the password
  // itself as an older version stored it).
  static bool isHash(std::string_view stored);

  // Whether the password (already in lower case) is the one stored: checked
  // against the hash, or compared with the text an older version stored.
  static bool matches(std::string_view password, std::string_view stored);
};

}  // namespace tessara
