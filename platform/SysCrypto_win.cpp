// Cryptographic primitives on Win32: CNG (bcrypt.dll). PBKDF2 through BCryptDeriveKeyPBKDF2 over
// an HMAC-SHA1 provider, AES in the ECB chaining mode through BCryptEncrypt, and HMAC-SHA1 through
// a keyed hash object. Needs Windows 7 or later (PBKDF2, and key and hash objects whose memory
// the system manages).
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <string>

#include "platform/SysCrypto.h"

#ifndef BCRYPT_SUCCESS
#define BCRYPT_SUCCESS(status) (((NTSTATUS)(status)) >= 0)
#endif

namespace velmora::sys {

namespace {

// The cryptography library is loaded at run time by its full path in the system folder: a setup
// imports only libraries the system always maps from there, so no copy placed beside it is used.
template <typename Function>
struct TImport {
  Function function = nullptr;
  template <typename... Args>
  NTSTATUS operator()(Args... args) const {
    constexpr NTSTATUS kNotSupported = NTSTATUS(0xC00000BBL);
    return function != nullptr ? function(args...) : kNotSupported;
  }
};

struct TBcryptApi {
  TImport<decltype(&::BCryptCloseAlgorithmProvider)> CloseAlgorithmProvider;
  TImport<decltype(&::BCryptCreateHash)> CreateHash;
  TImport<decltype(&::BCryptDeriveKeyPBKDF2)> DeriveKeyPBKDF2;
  TImport<decltype(&::BCryptDestroyHash)> DestroyHash;
  TImport<decltype(&::BCryptDestroyKey)> DestroyKey;
  TImport<decltype(&::BCryptEncrypt)> Encrypt;
  TImport<decltype(&::BCryptFinishHash)> FinishHash;
  TImport<decltype(&::BCryptGenerateSymmetricKey)> GenerateSymmetricKey;
  TImport<decltype(&::BCryptHashData)> HashData;
  TImport<decltype(&::BCryptOpenAlgorithmProvider)> OpenAlgorithmProvider;
  TImport<decltype(&::BCryptSetProperty)> SetProperty;
};

const TBcryptApi& Bcrypt() {
  static const TBcryptApi api = [] {
    TBcryptApi a;
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return a;
    HMODULE library = LoadLibraryExA((std::string(folder, n) + "\\bcrypt.dll").c_str(), nullptr,
                                     LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) return a;
    a.CloseAlgorithmProvider.function = reinterpret_cast<decltype(a.CloseAlgorithmProvider.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptCloseAlgorithmProvider")));
    a.CreateHash.function = reinterpret_cast<decltype(a.CreateHash.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptCreateHash")));
    a.DeriveKeyPBKDF2.function = reinterpret_cast<decltype(a.DeriveKeyPBKDF2.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptDeriveKeyPBKDF2")));
    a.DestroyHash.function = reinterpret_cast<decltype(a.DestroyHash.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptDestroyHash")));
    a.DestroyKey.function = reinterpret_cast<decltype(a.DestroyKey.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptDestroyKey")));
    a.Encrypt.function = reinterpret_cast<decltype(a.Encrypt.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptEncrypt")));
    a.FinishHash.function = reinterpret_cast<decltype(a.FinishHash.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptFinishHash")));
    a.GenerateSymmetricKey.function = reinterpret_cast<decltype(a.GenerateSymmetricKey.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptGenerateSymmetricKey")));
    a.HashData.function = reinterpret_cast<decltype(a.HashData.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptHashData")));
    a.OpenAlgorithmProvider.function = reinterpret_cast<decltype(a.OpenAlgorithmProvider.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptOpenAlgorithmProvider")));
    a.SetProperty.function = reinterpret_cast<decltype(a.SetProperty.function)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptSetProperty")));
    return a;
  }();
  return api;
}

// CNG lengths are ULONGs; longer inputs go through in pieces of whole blocks.
constexpr size_t kMaxPiece = size_t(1) << 30;

bool FitsUlong(size_t n) { return size_t(ULONG(n)) == n; }

// The API takes non-const pointers even for inputs it only reads. Empty inputs still get a valid
// address.
UCHAR* In(const uint8_t* p) {
  static UCHAR nothing[1] = {0};
  return p != nullptr ? const_cast<UCHAR*>(p) : nothing;
}

// An algorithm provider, closed with its owner.
class TProvider {
 public:
  TProvider() = default;
  ~TProvider() { Close(); }
  TProvider(const TProvider&) = delete;
  TProvider& operator=(const TProvider&) = delete;

  bool Open(LPCWSTR algorithm, ULONG flags) {
    Close();
    if (BCRYPT_SUCCESS(Bcrypt().OpenAlgorithmProvider(&handle_, algorithm, nullptr, flags))) return true;
    handle_ = nullptr;
    return false;
  }
  void Close() {
    if (handle_ != nullptr) Bcrypt().CloseAlgorithmProvider(handle_, 0);
    handle_ = nullptr;
  }
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

bool Pbkdf2HmacSha1(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                    uint32_t iterations, uint8_t* key, size_t keySize) {
  if (!FitsUlong(passwordSize) || !FitsUlong(saltSize) || !FitsUlong(keySize) || iterations == 0) return false;
  TProvider prf;
  if (!prf.Open(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG)) return false;
  return BCRYPT_SUCCESS(Bcrypt().DeriveKeyPBKDF2(prf.get(), In(password), ULONG(passwordSize), In(salt),
                                              ULONG(saltSize), iterations, key, ULONG(keySize), 0));
}

struct TAesBlockEncryptor::Impl {
  TProvider aes;
  BCRYPT_KEY_HANDLE key = nullptr;
  void DropKey() {
    if (key != nullptr) Bcrypt().DestroyKey(key);
    key = nullptr;
  }
  ~Impl() { DropKey(); }
};

TAesBlockEncryptor::TAesBlockEncryptor() : impl_(new Impl) {}
TAesBlockEncryptor::~TAesBlockEncryptor() = default;

bool TAesBlockEncryptor::SetKey(const uint8_t* key, size_t keySize) {
  impl_->DropKey();
  if (keySize != 16 && keySize != 24 && keySize != 32) return false;
  if (impl_->aes.get() == nullptr) {
    if (!impl_->aes.Open(BCRYPT_AES_ALGORITHM, 0)) return false;
    // Every block on its own; counter mode is built by the caller.
    static const wchar_t kEcb[] = BCRYPT_CHAIN_MODE_ECB;
    if (!BCRYPT_SUCCESS(Bcrypt().SetProperty(impl_->aes.get(), BCRYPT_CHAINING_MODE,
                                          reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(kEcb)), sizeof(kEcb),
                                          0))) {
      impl_->aes.Close();
      return false;
    }
  }
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!BCRYPT_SUCCESS(
          Bcrypt().GenerateSymmetricKey(impl_->aes.get(), &handle, nullptr, 0, In(key), ULONG(keySize), 0))) {
    return false;
  }
  impl_->key = handle;
  return true;
}

bool TAesBlockEncryptor::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) {
  if (impl_->key == nullptr) return false;
  size_t left = blocks * kAesBlockSize;
  while (left > 0) {
    const size_t piece = std::min(left, kMaxPiece);
    ULONG written = 0;
    // No padding flag: the input is whole blocks and the output exactly as long.
    if (!BCRYPT_SUCCESS(Bcrypt().Encrypt(impl_->key, In(in), ULONG(piece), nullptr, nullptr, 0, out, ULONG(piece),
                                      &written, 0)) ||
        written != piece) {
      return false;
    }
    in += piece;
    out += piece;
    left -= piece;
  }
  return true;
}

struct THmacSha1::Impl {
  TProvider sha1;
  BCRYPT_HASH_HANDLE hash = nullptr;
  void DropHash() {
    if (hash != nullptr) Bcrypt().DestroyHash(hash);
    hash = nullptr;
  }
  ~Impl() { DropHash(); }
};

THmacSha1::THmacSha1() : impl_(new Impl) {}
THmacSha1::~THmacSha1() = default;

bool THmacSha1::Init(const uint8_t* key, size_t keySize) {
  impl_->DropHash();
  if (!FitsUlong(keySize)) return false;
  if (impl_->sha1.get() == nullptr && !impl_->sha1.Open(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG)) {
    return false;
  }
  BCRYPT_HASH_HANDLE handle = nullptr;
  if (!BCRYPT_SUCCESS(Bcrypt().CreateHash(impl_->sha1.get(), &handle, nullptr, 0, In(key), ULONG(keySize), 0))) {
    return false;
  }
  impl_->hash = handle;
  return true;
}

bool THmacSha1::Update(const uint8_t* data, size_t size) {
  if (impl_->hash == nullptr) return false;
  while (size > 0) {
    const size_t piece = std::min(size, kMaxPiece);
    if (!BCRYPT_SUCCESS(Bcrypt().HashData(impl_->hash, In(data), ULONG(piece), 0))) return false;
    data += piece;
    size -= piece;
  }
  return true;
}

bool THmacSha1::Final(uint8_t digest[kSha1DigestSize]) {
  if (impl_->hash == nullptr) return false;
  // A finished hash object cannot take more data; the next Init makes a new one.
  const bool ok = BCRYPT_SUCCESS(Bcrypt().FinishHash(impl_->hash, digest, kSha1DigestSize, 0));
  impl_->DropHash();
  return ok;
}

}  // namespace velmora::sys
