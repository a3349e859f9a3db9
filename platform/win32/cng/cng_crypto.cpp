// The crypto interface over CNG (bcrypt), for the Windows build. The
// algorithm providers are opened once per process and kept; each AesGcm
// keeps its own key handle for all the messages it seals or opens.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

#include "platform/crypto.h"

namespace platform::crypto {
namespace {

bool succeeded(NTSTATUS status) { return status >= 0; }

class Provider {
 public:
  Provider(const wchar_t* algorithm, ULONG flags, const wchar_t* chainingMode = nullptr) {
    if (!succeeded(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags))) {
      handle_ = nullptr;
      return;
    }
    if (chainingMode == nullptr) return;
    const ULONG size = static_cast<ULONG>((wcslen(chainingMode) + 1) * sizeof(wchar_t));
    auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(chainingMode));
    if (!succeeded(BCryptSetProperty(handle_, BCRYPT_CHAINING_MODE, mode, size, 0))) {
      BCryptCloseAlgorithmProvider(handle_, 0);
      handle_ = nullptr;
    }
  }
  ~Provider() {
    if (handle_ != nullptr) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

BCRYPT_ALG_HANDLE hmacProvider() {
  static const Provider provider(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
  return provider.get();
}

BCRYPT_ALG_HANDLE sha256Provider() {
  static const Provider provider(BCRYPT_SHA256_ALGORITHM, 0);
  return provider.get();
}

BCRYPT_ALG_HANDLE aesGcmProvider() {
  static const Provider provider(BCRYPT_AES_ALGORITHM, 0, BCRYPT_CHAIN_MODE_GCM);
  return provider.get();
}

// CNG takes non-const pointers for inputs it only reads.
PUCHAR in(const std::uint8_t* p) { return const_cast<PUCHAR>(p); }

ULONG length(std::size_t size) { return static_cast<ULONG>(size); }

}  // namespace

bool randomBytes(std::span<std::uint8_t> out) {
  if (out.size() > ULONG_MAX) return false;
  return out.empty() ||
         succeeded(BCryptGenRandom(nullptr, out.data(), length(out.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool pbkdf2Sha256(std::string_view password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
                  std::span<std::uint8_t> out) {
  if (hmacProvider() == nullptr || iterations == 0 || password.size() > ULONG_MAX || salt.size() > ULONG_MAX ||
      out.size() > ULONG_MAX)
    return false;
  static const std::uint8_t none = 0;
  const auto* passwordBytes = password.empty() ? &none : reinterpret_cast<const std::uint8_t*>(password.data());
  const std::uint8_t* saltBytes = salt.empty() ? &none : salt.data();
  return succeeded(BCryptDeriveKeyPBKDF2(hmacProvider(), in(passwordBytes), length(password.size()), in(saltBytes),
                                         length(salt.size()), iterations, out.data(), length(out.size()), 0));
}

bool hmacSha256(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data, Digest& out) {
  if (hmacProvider() == nullptr || key.size() > ULONG_MAX || data.size() > ULONG_MAX) return false;
  static const std::uint8_t none = 0;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!succeeded(BCryptCreateHash(hmacProvider(), &hash, nullptr, 0, in(key.empty() ? &none : key.data()),
                                  length(key.size()), 0)))
    return false;
  const bool ok = succeeded(BCryptHashData(hash, in(data.empty() ? &none : data.data()), length(data.size()), 0)) &&
                  succeeded(BCryptFinishHash(hash, out.data(), length(out.size()), 0));
  BCryptDestroyHash(hash);
  return ok;
}

struct Sha256::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash != nullptr) BCryptDestroyHash(hash);
  }
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  if (sha256Provider() == nullptr || !succeeded(BCryptCreateHash(sha256Provider(), &state->hash, nullptr, 0, nullptr, 0, 0)))
    return;
  state_ = std::move(state);
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

bool Sha256::update(std::span<const std::uint8_t> data) {
  if (!state_) return false;
  static const std::uint8_t none = 0;
  while (!data.empty()) {
    const std::size_t piece = std::min<std::size_t>(data.size(), ULONG_MAX);
    if (!succeeded(BCryptHashData(state_->hash, in(data.data()), length(piece), 0))) return false;
    data = data.subspan(piece);
  }
  return succeeded(BCryptHashData(state_->hash, in(&none), 0, 0));
}

bool Sha256::finish(Digest& out) {
  if (!state_) return false;
  const bool ok = succeeded(BCryptFinishHash(state_->hash, out.data(), length(out.size()), 0));
  state_.reset();
  return ok;
}

struct AesGcm::State {
  BCRYPT_KEY_HANDLE key = nullptr;
  ~State() {
    if (key != nullptr) BCryptDestroyKey(key);
  }
};

AesGcm::AesGcm(Key key) {
  if (aesGcmProvider() == nullptr) return;
  auto state = std::make_unique<State>();
  if (!succeeded(BCryptGenerateSymmetricKey(aesGcmProvider(), &state->key, nullptr, 0, in(key.data()),
                                            length(key.size()), 0)))
    return;
  state_ = std::move(state);
}

AesGcm::~AesGcm() = default;
AesGcm::AesGcm(AesGcm&&) noexcept = default;
AesGcm& AesGcm::operator=(AesGcm&&) noexcept = default;

namespace {

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO modeInfo(AesGcm::Nonce nonce, std::span<const std::uint8_t> aad,
                                               std::uint8_t* tag) {
  BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
  BCRYPT_INIT_AUTH_MODE_INFO(info);
  info.pbNonce = in(nonce.data());
  info.cbNonce = length(nonce.size());
  info.pbAuthData = aad.empty() ? nullptr : in(aad.data());
  info.cbAuthData = length(aad.size());
  info.pbTag = tag;
  info.cbTag = AesGcm::TagSize;
  return info;
}

}  // namespace

bool AesGcm::seal(Nonce nonce, std::span<const std::uint8_t> aad, std::span<const std::uint8_t> plain,
                  std::span<std::uint8_t> cipher, std::span<std::uint8_t, TagSize> tag) {
  if (!state_ || cipher.size() != plain.size() || plain.size() > ULONG_MAX || aad.size() > ULONG_MAX) return false;
  BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = modeInfo(nonce, aad, tag.data());
  ULONG written = 0;
  return succeeded(BCryptEncrypt(state_->key, plain.empty() ? nullptr : in(plain.data()), length(plain.size()),
                                 &info, nullptr, 0, cipher.empty() ? nullptr : cipher.data(),
                                 length(cipher.size()), &written, 0)) &&
         written == plain.size();
}

bool AesGcm::open(Nonce nonce, std::span<const std::uint8_t> aad, std::span<const std::uint8_t> cipher,
                  std::span<const std::uint8_t, TagSize> tag, std::span<std::uint8_t> plain) {
  if (!state_ || cipher.size() != plain.size() || cipher.size() > ULONG_MAX || aad.size() > ULONG_MAX) return false;
  BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = modeInfo(nonce, aad, const_cast<std::uint8_t*>(tag.data()));
  ULONG written = 0;
  // A tag that does not match gives STATUS_AUTH_TAG_MISMATCH, a failure status.
  return succeeded(BCryptDecrypt(state_->key, cipher.empty() ? nullptr : in(cipher.data()), length(cipher.size()),
                                 &info, nullptr, 0, plain.empty() ? nullptr : plain.data(), length(plain.size()),
                                 &written, 0)) &&
         written == cipher.size();
}

}  // namespace platform::crypto
