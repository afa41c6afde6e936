// Decryption of encrypted ZIP entries: the traditional PKWARE stream cipher and WinZip AES.
// OS-independent; the primitives (AES, SHA-1, HMAC, PBKDF2) come from platform/SysCrypto.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velmora::zip {

constexpr size_t kTraditionalHeaderSize = 12;
constexpr size_t kAesVerifierSize = 2;
constexpr size_t kAesAuthCodeSize = 10;

class TTraditionalDecryptor {
 public:
  explicit TTraditionalDecryptor(const std::string& password);
  // Decrypts the 12-byte encryption header in place; true when its last byte equals `checkByte`
  // (the high byte of the CRC-32, or of the DOS time when sizes follow the data).
  bool CheckHeader(uint8_t header[kTraditionalHeaderSize], uint8_t checkByte);
  void Decrypt(uint8_t* data, size_t size);

 private:
  uint32_t keys_[3];
};

class TAesDecryptor {
 public:
  TAesDecryptor();
  ~TAesDecryptor();
  // Salt bytes for strength 1, 2 or 3 (AES-128, -192, -256): 8, 12 or 16; 0 for any other.
  static size_t SaltSize(int strength);
  // Derives the keys (PBKDF2-HMAC-SHA1, 1,000 iterations); true when the password verifier matches.
  bool Init(const std::string& password, int strength, const uint8_t* salt, const uint8_t verifier[kAesVerifierSize]);
  // Authenticates the ciphertext and decrypts it in place (AES in counter mode, little-endian
  // counter starting at 1), across any number of calls.
  void Decrypt(uint8_t* data, size_t size);
  // After the last Decrypt: whether the 10-byte authentication code matches.
  bool CheckAuthCode(const uint8_t code[kAesAuthCodeSize]);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velmora::zip
