// The crypto interface over OpenSSL's libcrypto, for the native build.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <climits>

#include "platform/crypto.h"

namespace platform::crypto {

bool randomBytes(std::span<std::uint8_t> out) {
  if (out.size() > INT_MAX) return false;
  return out.empty() || RAND_bytes(out.data(), static_cast<int>(out.size())) == 1;
}

bool pbkdf2Sha256(std::string_view password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
                  std::span<std::uint8_t> out) {
  if (iterations == 0 || iterations > INT_MAX || password.size() > INT_MAX || salt.size() > INT_MAX ||
      out.size() > INT_MAX)
    return false;
  return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                           static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                           static_cast<int>(out.size()), out.data()) == 1;
}

bool hmacSha256(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data, Digest& out) {
  if (key.size() > INT_MAX) return false;
  unsigned int length = 0;
  // A null key pointer means "no key" to OpenSSL; an empty key is a valid key.
  static const std::uint8_t none = 0;
  const unsigned char* result = HMAC(EVP_sha256(), key.empty() ? &none : key.data(), static_cast<int>(key.size()),
                                     data.data(), data.size(), out.data(), &length);
  return result != nullptr && length == out.size();
}

struct Sha256::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  state->context = EVP_MD_CTX_new();
  if (state->context == nullptr || EVP_DigestInit_ex(state->context, EVP_sha256(), nullptr) != 1) return;
  state_ = std::move(state);
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

bool Sha256::update(std::span<const std::uint8_t> data) {
  return state_ && EVP_DigestUpdate(state_->context, data.data(), data.size()) == 1;
}

bool Sha256::finish(Digest& out) {
  if (!state_) return false;
  unsigned int size = 0;
  const bool ok = EVP_DigestFinal_ex(state_->context, out.data(), &size) == 1 && size == out.size();
  state_.reset();
  return ok;
}

struct AesGcm::State {
  EVP_CIPHER_CTX* encrypt = nullptr;
  EVP_CIPHER_CTX* decrypt = nullptr;
  ~State() {
    EVP_CIPHER_CTX_free(encrypt);
    EVP_CIPHER_CTX_free(decrypt);
  }
};

AesGcm::AesGcm(Key key) {
  auto state = std::make_unique<State>();
  state->encrypt = EVP_CIPHER_CTX_new();
  state->decrypt = EVP_CIPHER_CTX_new();
  if (state->encrypt == nullptr || state->decrypt == nullptr) return;
  // The key schedule is set up here once; each message only sets its nonce.
  if (EVP_EncryptInit_ex(state->encrypt, EVP_aes_128_gcm(), nullptr, key.data(), nullptr) != 1 ||
      EVP_DecryptInit_ex(state->decrypt, EVP_aes_128_gcm(), nullptr, key.data(), nullptr) != 1)
    return;
  state_ = std::move(state);
}

AesGcm::~AesGcm() = default;
AesGcm::AesGcm(AesGcm&&) noexcept = default;
AesGcm& AesGcm::operator=(AesGcm&&) noexcept = default;

bool AesGcm::seal(Nonce nonce, std::span<const std::uint8_t> aad, std::span<const std::uint8_t> plain,
                  std::span<std::uint8_t> cipher, std::span<std::uint8_t, TagSize> tag) {
  if (!state_ || cipher.size() != plain.size() || plain.size() > INT_MAX || aad.size() > INT_MAX) return false;
  EVP_CIPHER_CTX* ctx = state_->encrypt;
  int length = 0;
  if (EVP_EncryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce.data()) != 1) return false;
  if (!aad.empty() && EVP_EncryptUpdate(ctx, nullptr, &length, aad.data(), static_cast<int>(aad.size())) != 1)
    return false;
  if (!plain.empty() &&
      EVP_EncryptUpdate(ctx, cipher.data(), &length, plain.data(), static_cast<int>(plain.size())) != 1)
    return false;
  if (EVP_EncryptFinal_ex(ctx, cipher.data() + plain.size(), &length) != 1) return false;
  return EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, TagSize, tag.data()) == 1;
}

bool AesGcm::open(Nonce nonce, std::span<const std::uint8_t> aad, std::span<const std::uint8_t> cipher,
                  std::span<const std::uint8_t, TagSize> tag, std::span<std::uint8_t> plain) {
  if (!state_ || cipher.size() != plain.size() || cipher.size() > INT_MAX || aad.size() > INT_MAX) return false;
  EVP_CIPHER_CTX* ctx = state_->decrypt;
  int length = 0;
  if (EVP_DecryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce.data()) != 1) return false;
  if (!aad.empty() && EVP_DecryptUpdate(ctx, nullptr, &length, aad.data(), static_cast<int>(aad.size())) != 1)
    return false;
  if (!cipher.empty() &&
      EVP_DecryptUpdate(ctx, plain.data(), &length, cipher.data(), static_cast<int>(cipher.size())) != 1)
    return false;
  if (EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_TAG, TagSize, const_cast<std::uint8_t*>(tag.data())) != 1)
    return false;
  return EVP_DecryptFinal_ex(ctx, plain.data() + cipher.size(), &length) == 1;
}

}  // namespace platform::crypto
