// Cryptographic primitives on POSIX: OpenSSL's libcrypto through its EVP interfaces (PBKDF2, the
// AES-ECB ciphers with padding off, and the HMAC message authentication code with SHA-1).
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>
#include <climits>

#include "platform/SysCrypto.h"

namespace velmora::sys {

namespace {

// EVP lengths are ints; longer inputs go through in pieces of whole blocks.
constexpr size_t kMaxPiece = (INT_MAX / kAesBlockSize) * kAesBlockSize;

// A valid pointer for empty inputs, which some calls take as "no value given".
const uint8_t kNothing[1] = {0};

const uint8_t* OrNothing(const uint8_t* p) { return p != nullptr ? p : kNothing; }

}  // namespace

bool Pbkdf2HmacSha1(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                    uint32_t iterations, uint8_t* key, size_t keySize) {
  if (passwordSize > INT_MAX || saltSize > INT_MAX || keySize > INT_MAX || iterations == 0 ||
      iterations > INT_MAX) {
    return false;
  }
  return PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(OrNothing(password)), int(passwordSize),
                           OrNothing(salt), int(saltSize), int(iterations), EVP_sha1(), int(keySize),
                           key) == 1;
}

struct TAesBlockEncryptor::Impl {
  EVP_CIPHER_CTX* ctx = nullptr;
  bool keyed = false;
  ~Impl() { EVP_CIPHER_CTX_free(ctx); }
};

TAesBlockEncryptor::TAesBlockEncryptor() : impl_(new Impl) {}
TAesBlockEncryptor::~TAesBlockEncryptor() = default;

bool TAesBlockEncryptor::SetKey(const uint8_t* key, size_t keySize) {
  impl_->keyed = false;
  const EVP_CIPHER* cipher = keySize == 16   ? EVP_aes_128_ecb()
                             : keySize == 24 ? EVP_aes_192_ecb()
                             : keySize == 32 ? EVP_aes_256_ecb()
                                             : nullptr;
  if (cipher == nullptr) return false;
  if (impl_->ctx == nullptr && (impl_->ctx = EVP_CIPHER_CTX_new()) == nullptr) return false;
  if (EVP_EncryptInit_ex(impl_->ctx, cipher, nullptr, key, nullptr) != 1) return false;
  // Whole blocks in, whole blocks out: no padding block at the end.
  if (EVP_CIPHER_CTX_set_padding(impl_->ctx, 0) != 1) return false;
  impl_->keyed = true;
  return true;
}

bool TAesBlockEncryptor::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) {
  if (!impl_->keyed) return false;
  size_t left = blocks * kAesBlockSize;
  while (left > 0) {
    const size_t piece = std::min(left, kMaxPiece);
    int written = 0;
    if (EVP_EncryptUpdate(impl_->ctx, out, &written, in, int(piece)) != 1 || size_t(written) != piece) {
      return false;
    }
    in += piece;
    out += piece;
    left -= piece;
  }
  return true;
}

struct THmacSha1::Impl {
  EVP_MAC* mac = nullptr;
  EVP_MAC_CTX* ctx = nullptr;
  bool open = false;  // between Init and Final
  ~Impl() {
    EVP_MAC_CTX_free(ctx);
    EVP_MAC_free(mac);
  }
};

THmacSha1::THmacSha1() : impl_(new Impl) {}
THmacSha1::~THmacSha1() = default;

bool THmacSha1::Init(const uint8_t* key, size_t keySize) {
  impl_->open = false;
  if (impl_->ctx == nullptr) {
    if ((impl_->mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr)) == nullptr) return false;
    if ((impl_->ctx = EVP_MAC_CTX_new(impl_->mac)) == nullptr) return false;
  }
  char digest[] = "SHA1";
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                               OSSL_PARAM_construct_end()};
  if (EVP_MAC_init(impl_->ctx, OrNothing(key), keySize, params) != 1) return false;
  impl_->open = true;
  return true;
}

bool THmacSha1::Update(const uint8_t* data, size_t size) {
  if (!impl_->open) return false;
  return size == 0 || EVP_MAC_update(impl_->ctx, data, size) == 1;
}

bool THmacSha1::Final(uint8_t digest[kSha1DigestSize]) {
  if (!impl_->open) return false;
  impl_->open = false;
  size_t written = 0;
  return EVP_MAC_final(impl_->ctx, digest, &written, kSha1DigestSize) == 1 && written == kSha1DigestSize;
}

}  // namespace velmora::sys
