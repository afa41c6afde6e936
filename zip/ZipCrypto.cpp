// Decryption of encrypted ZIP entries. The traditional PKWARE stream cipher is small enough to live
// here; WinZip AES is assembled from the system's primitives: PBKDF2-HMAC-SHA1 for the keys, AES
// block encryption for the counter-mode keystream and HMAC-SHA1 over the ciphertext.
#include "zip/ZipCrypto.h"

#include <array>
#include <cstring>

#include "platform/SysCrypto.h"

namespace velmora::zip {

namespace {

// The cipher's key schedule steps the CRC-32 register (reflected polynomial 0xEDB88320) one byte
// at a time, without the usual inversion before and after.
constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

inline uint32_t CrcStep(uint32_t crc, uint8_t b) { return kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8); }

// Mixes one plaintext byte into the three keys.
inline void UpdateKeys(uint32_t (&keys)[3], uint8_t plain) {
  keys[0] = CrcStep(keys[0], plain);
  keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
  keys[2] = CrcStep(keys[2], uint8_t(keys[1] >> 24));
}

// The keystream byte that the current keys give.
inline uint8_t KeystreamByte(const uint32_t (&keys)[3]) {
  const uint32_t t = (keys[2] & 0xFFFF) | 2;
  return uint8_t((t * (t ^ 1)) >> 8);
}

void DecryptTraditional(uint32_t (&keys)[3], uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t plain = data[i] ^ KeystreamByte(keys);
    UpdateKeys(keys, plain);
    data[i] = plain;
  }
}

// AES key sizes for the strengths 1, 2 and 3; 0 for any other.
size_t AesKeySize(int strength) {
  switch (strength) {
    case 1: return 16;
    case 2: return 24;
    case 3: return 32;
    default: return 0;
  }
}

constexpr uint32_t kAesIterations = 1000;
// Counter blocks encrypted per call into the system: 8 KiB of keystream.
constexpr size_t kKeystreamBlocks = 512;

// Overwrites key material in a way the compiler may not drop as a dead store.
void Wipe(void* p, size_t size) {
  volatile uint8_t* v = static_cast<volatile uint8_t*>(p);
  while (size-- > 0) *v++ = 0;
}

}  // namespace

TTraditionalDecryptor::TTraditionalDecryptor(const std::string& password)
    : keys_{0x12345678u, 0x23456789u, 0x34567890u} {
  for (const char c : password) UpdateKeys(keys_, uint8_t(c));
}

bool TTraditionalDecryptor::CheckHeader(uint8_t header[kTraditionalHeaderSize], uint8_t checkByte) {
  // The first 11 bytes are random; running them through the cipher primes the keys for the data.
  DecryptTraditional(keys_, header, kTraditionalHeaderSize);
  return header[kTraditionalHeaderSize - 1] == checkByte;
}

void TTraditionalDecryptor::Decrypt(uint8_t* data, size_t size) { DecryptTraditional(keys_, data, size); }

struct TAesDecryptor::State {
  sys::TAesBlockEncryptor aes;
  sys::THmacSha1 hmac;
  uint8_t counter[sys::kAesBlockSize] = {};  // the next counter block, a little-endian number
  uint8_t counters[kKeystreamBlocks * sys::kAesBlockSize] = {};
  uint8_t keystream[kKeystreamBlocks * sys::kAesBlockSize] = {};
  size_t keystreamUsed = 0;  // bytes of keystream[0..keystreamSize) already applied
  size_t keystreamSize = 0;
  bool keyed = false;     // Init succeeded
  bool failed = false;    // a system call failed after Init: the entry cannot authenticate
  bool finished = false;  // the authentication code has been computed into `code`
  uint8_t code[sys::kSha1DigestSize] = {};

  void NextCounter() {
    for (uint8_t& b : counter) {
      if (++b != 0) break;
    }
  }

  // Encrypts the next counter blocks, as many as `wanted` bytes need, up to a buffer's worth.
  bool Refill(size_t wanted) {
    size_t blocks = (wanted + sys::kAesBlockSize - 1) / sys::kAesBlockSize;
    if (blocks > kKeystreamBlocks) blocks = kKeystreamBlocks;
    for (size_t i = 0; i < blocks; ++i) {
      std::memcpy(counters + i * sys::kAesBlockSize, counter, sys::kAesBlockSize);
      NextCounter();
    }
    keystreamUsed = 0;
    keystreamSize = blocks * sys::kAesBlockSize;
    return aes.EncryptBlocks(counters, keystream, blocks);
  }

  ~State() {
    Wipe(keystream, sizeof keystream);
    Wipe(code, sizeof code);
  }
};

TAesDecryptor::TAesDecryptor() : state_(new State) {}
TAesDecryptor::~TAesDecryptor() = default;

size_t TAesDecryptor::SaltSize(int strength) { return AesKeySize(strength) / 2; }

bool TAesDecryptor::Init(const std::string& password, int strength, const uint8_t* salt,
                         const uint8_t verifier[kAesVerifierSize]) {
  State& s = *state_;
  s.keyed = s.failed = s.finished = false;
  const size_t keySize = AesKeySize(strength);
  if (keySize == 0) return false;

  // One derivation yields the AES key, the HMAC key of the same size and the 2-byte verifier.
  uint8_t derived[2 * 32 + kAesVerifierSize];
  const size_t derivedSize = 2 * keySize + kAesVerifierSize;
  bool ok = sys::Pbkdf2HmacSha1(reinterpret_cast<const uint8_t*>(password.data()), password.size(), salt,
                                SaltSize(strength), kAesIterations, derived, derivedSize) &&
            std::memcmp(derived + 2 * keySize, verifier, kAesVerifierSize) == 0 &&
            s.aes.SetKey(derived, keySize) && s.hmac.Init(derived + keySize, keySize);
  Wipe(derived, sizeof derived);
  if (!ok) return false;

  std::memset(s.counter, 0, sizeof s.counter);
  s.counter[0] = 1;
  s.keystreamUsed = s.keystreamSize = 0;
  s.keyed = true;
  return true;
}

void TAesDecryptor::Decrypt(uint8_t* data, size_t size) {
  State& s = *state_;
  if (!s.keyed || s.finished) {
    s.failed = true;
    return;
  }
  // The code authenticates the ciphertext, so it is fed before the bytes are decrypted in place.
  if (!s.hmac.Update(data, size)) s.failed = true;
  while (size > 0) {
    if (s.keystreamUsed == s.keystreamSize && !s.Refill(size)) {
      s.failed = true;
      return;
    }
    size_t n = s.keystreamSize - s.keystreamUsed;
    if (n > size) n = size;
    const uint8_t* k = s.keystream + s.keystreamUsed;
    for (size_t i = 0; i < n; ++i) data[i] ^= k[i];
    s.keystreamUsed += n;
    data += n;
    size -= n;
  }
}

bool TAesDecryptor::CheckAuthCode(const uint8_t code[kAesAuthCodeSize]) {
  State& s = *state_;
  if (!s.keyed || s.failed) return false;
  if (!s.finished) {
    if (!s.hmac.Final(s.code)) {
      s.failed = true;
      return false;
    }
    s.finished = true;
  }
  // Stored code = the first 10 bytes of the HMAC; compared in full whatever the first difference.
  uint8_t diff = 0;
  for (size_t i = 0; i < kAesAuthCodeSize; ++i) diff |= uint8_t(s.code[i] ^ code[i]);
  return diff == 0;
}

}  // namespace velmora::zip
