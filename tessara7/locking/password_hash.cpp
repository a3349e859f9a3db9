#include "tessara7/locking/password_hash.h"

#include <array>
#include <charconv>
#include <optional>
#include <vector>

#include "platform/crypto.h"
#include "shared/hex.h"

namespace tessara {
namespace {

constexpr std::size_t SaltSize = 16;
constexpr std::size_t HashSize = platform::crypto::Sha256Size;
// Far above any count this program writes; bounds the cost of a forged text.
constexpr std::uint32_t MaxIterations = 10'000'000;

struct Parsed {
  std::uint32_t iterations = 0;
  std::vector<std::uint8_t> salt;
  std::vector<std::uint8_t> hash;
};

// "$scheme$iterations$salt$hash", every part well formed, or nothing.
std::optional<Parsed> parse(std::string_view stored) {
  const std::string prefix = "$" + std::string(PasswordHash::Scheme) + "$";
  if (!stored.starts_with(prefix)) return std::nullopt;
  stored.remove_prefix(prefix.size());
  std::array<std::string_view, 3> parts;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t dollar = stored.find('$');
    if ((i < 2) != (dollar != std::string_view::npos)) return std::nullopt;
    parts[i] = stored.substr(0, dollar);
    if (dollar != std::string_view::npos) stored.remove_prefix(dollar + 1);
  }
  Parsed parsed;
  const auto [end, error] = std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), parsed.iterations);
  if (error != std::errc() || end != parts[0].data() + parts[0].size() || parts[0].starts_with('0') ||
      parsed.iterations == 0 || parsed.iterations > MaxIterations)
    return std::nullopt;
  auto salt = hex::fromHex(parts[1], SaltSize);
  auto hash = hex::fromHex(parts[2], HashSize);
  if (!salt || !hash) return std::nullopt;
  parsed.salt = std::move(*salt);
  parsed.hash = std::move(*hash);
  return parsed;
}

// Compares every byte whatever the first difference, so the time taken
// tells nothing about where the two differ.
bool sameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  if (a.size() != b.size()) return false;
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
  return difference == 0;
}

}  // namespace

std::string PasswordHash::make(std::string_view password, std::uint32_t iterations) {
  std::array<std::uint8_t, SaltSize> salt{};
  std::array<std::uint8_t, HashSize> hash{};
  if (iterations == 0 || iterations > MaxIterations || !platform::crypto::randomBytes(salt) ||
      !platform::crypto::pbkdf2Sha256(password, salt, iterations, hash))
    return {};
  std::string text = "$" + std::string(Scheme) + "$" + std::to_string(iterations) + "$" + hex::toHex(salt) + "$" +
                     hex::toHex(hash);
  platform::crypto::wipe(hash);
  return text;
}

bool PasswordHash::isHash(std::string_view stored) { return parse(stored).has_value(); }

bool PasswordHash::matches(std::string_view password, std::string_view stored) {
  const auto parsed = parse(stored);
  if (!parsed) return password == stored;  // the text an older version stored
  std::array<std::uint8_t, HashSize> hash{};
  const bool derived = platform::crypto::pbkdf2Sha256(password, parsed->salt, parsed->iterations, hash);
  const bool same = derived && sameBytes(hash, parsed->hash);
  platform::crypto::wipe(hash);
  return same;
}

}  // namespace tessara
