// Cryptographic primitives from the system, as far as decrypting ZIP entries needs them:
// PBKDF2 with HMAC-SHA1, AES block encryption with a fixed key (the keystream source for counter
// mode) and incremental HMAC-SHA1. OpenSSL's libcrypto on POSIX, CNG (bcrypt) on Win32.
// Failures (an unsupported key size, a system that refuses) are reported by result, not thrown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace velmora::sys {

constexpr size_t kAesBlockSize = 16;
constexpr size_t kSha1DigestSize = 20;

// PBKDF2 (RFC 2898) with HMAC-SHA1 as the pseudo-random function: fills key[0..keySize).
bool Pbkdf2HmacSha1(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                    uint32_t iterations, uint8_t* key, size_t keySize);

// AES encryption of independent 16-byte blocks under one key (ECB). Counter mode is built on top by
// encrypting a run of counter blocks per call.
class TAesBlockEncryptor {
 public:
  TAesBlockEncryptor();
  ~TAesBlockEncryptor();
  TAesBlockEncryptor(const TAesBlockEncryptor&) = delete;
  TAesBlockEncryptor& operator=(const TAesBlockEncryptor&) = delete;

  // A key of 16, 24 or 32 bytes (AES-128, -192, -256); false for any other size.
  bool SetKey(const uint8_t* key, size_t keySize);
  // Encrypts `blocks` blocks from `in` into `out`; the two buffers must not overlap.
  bool EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// HMAC-SHA1 fed in any number of pieces.
class THmacSha1 {
 public:
  THmacSha1();
  ~THmacSha1();
  THmacSha1(const THmacSha1&) = delete;
  THmacSha1& operator=(const THmacSha1&) = delete;

  // Starts a new message under `key`; any earlier one is dropped.
  bool Init(const uint8_t* key, size_t keySize);
  bool Update(const uint8_t* data, size_t size);
  // Ends the message; Init must come before the next Update.
  bool Final(uint8_t digest[kSha1DigestSize]);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora::sys
