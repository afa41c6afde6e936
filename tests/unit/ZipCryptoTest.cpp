// Decrypting ZIP entries: the traditional cipher and WinZip AES against archives written by Info-ZIP
// and 7zz with a known password, and known answers for the system primitives underneath.
#include "zip/ZipCrypto.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/ByteOrder.h"
#include "platform/SysCrypto.h"
#include "zip/VCLUnZip.h"

namespace velmora::zip {
namespace {

using test::Bytes;

const std::string kPassword = "secret";

std::string CryptoFixture(const std::string& name) { return std::string(VELMORA_CRYPTO_FIXTURE_DIR) + "/" + name; }

Bytes Hex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// One encrypted entry cut into its parts: the 12-byte header (traditional) or salt + verifier
// (AES), the encrypted data, and the AES authentication code.
struct Sealed {
  std::string path;  // with "/"
  int strength = 0;  // 0 for the traditional cipher
  uint16_t method = 0;
  uint32_t crc = 0;
  uint64_t size = 0;
  uint8_t checkByte = 0;
  Bytes head, body, code;
};

std::vector<Sealed> LoadEntries(const std::string& archive) {
  const std::string path = CryptoFixture(archive);
  TVCLUnZip engine;
  engine.SetZipName(path);
  engine.ReadCatalogue();
  const Bytes file = test::ReadFile(path);
  std::vector<Sealed> out;
  for (int i = 0; i < engine.Count(); ++i) {
    const TZipHeaderInfo& h = engine.Entry(i);
    EXPECT_TRUE(h.Encrypted()) << h.StoredPath();
    Sealed s;
    s.path = h.StoredPath();
    std::replace(s.path.begin(), s.path.end(), '\\', '/');
    s.method = h.compressionMethod;
    s.crc = h.crc32;
    s.size = h.UncompressedSize64();
    // With sizes after the data the writer cannot know the CRC yet, so the header ends in the time.
    s.checkByte = (h.flag & 0x0008) ? uint8_t(h.dateTime >> 8) : uint8_t(h.crc32 >> 24);
    const size_t local = size_t(h.LocalHeaderOffset64());
    if (local + 30 > file.size()) {
      ADD_FAILURE() << archive << ": " << s.path << " has no local header";
      continue;
    }
    // The data follows the local header's 30 fixed bytes, its name and its extra field.
    const size_t start = local + 30 + ReadLE16(&file[local + 26]) + ReadLE16(&file[local + 28]);
    const size_t end = start + size_t(h.CompressedSize64());
    size_t headSize = kTraditionalHeaderSize, codeSize = 0;
    if (h.aes) {
      s.strength = h.aes->strength;
      headSize = TAesDecryptor::SaltSize(s.strength) + kAesVerifierSize;
      codeSize = kAesAuthCodeSize;
    }
    if (end > file.size() || end - start < headSize + codeSize) {
      ADD_FAILURE() << archive << ": " << s.path << " does not fit";
      continue;
    }
    s.head.assign(file.begin() + start, file.begin() + start + headSize);
    s.body.assign(file.begin() + start + headSize, file.begin() + end - codeSize);
    s.code.assign(file.begin() + end - codeSize, file.begin() + end);
    out.push_back(std::move(s));
  }
  return out;
}

const Sealed& Find(const std::vector<Sealed>& entries, const std::string& path) {
  for (const Sealed& s : entries) {
    if (s.path == path) return s;
  }
  throw std::runtime_error("no entry " + path);
}

// The entry's bytes once decrypted: inflated when deflated; nullopt when inflating fails.
std::optional<Bytes> Expand(const Sealed& s, const Bytes& decrypted) {
  if (s.method == 0) return decrypted;
  if (s.method != 8) return std::nullopt;
  Bytes out(size_t(s.size) + 1);
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return std::nullopt;
  z.next_in = const_cast<Bytef*>(decrypted.data());
  z.avail_in = uInt(decrypted.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int rc = inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

Bytes Plain(const std::string& path) { return test::ReadFile(CryptoFixture("plain/" + path)); }

// Decrypts `s` with the password in pieces of the given sizes (cycled; all of it at once when
// empty). For AES, `authentic` tells whether the code matched; nullopt when the password was refused.
std::optional<Bytes> Open(const Sealed& s, const std::string& password, const std::vector<size_t>& pieces = {},
                          bool* authentic = nullptr) {
  Bytes head = s.head, data = s.body;
  std::function<void(uint8_t*, size_t)> decrypt;
  TTraditionalDecryptor traditional(password);
  TAesDecryptor aes;
  if (s.strength == 0) {
    if (!traditional.CheckHeader(head.data(), s.checkByte)) return std::nullopt;
    decrypt = [&](uint8_t* p, size_t n) { traditional.Decrypt(p, n); };
  } else {
    const size_t salt = TAesDecryptor::SaltSize(s.strength);
    if (!aes.Init(password, s.strength, head.data(), head.data() + salt)) return std::nullopt;
    decrypt = [&](uint8_t* p, size_t n) { aes.Decrypt(p, n); };
  }
  if (pieces.empty()) {
    decrypt(data.data(), data.size());
  } else {
    for (size_t at = 0, k = 0; at < data.size(); ++k) {
      const size_t n = std::min(pieces[k % pieces.size()], data.size() - at);
      decrypt(data.data() + at, n);
      at += n;
    }
  }
  if (authentic != nullptr) *authentic = s.strength != 0 && aes.CheckAuthCode(s.code.data());
  return data;
}

uint32_t Crc32(const Bytes& data) { return uint32_t(crc32(0, data.data(), uInt(data.size()))); }

TEST(ZipCrypto, EveryFixtureDecryptsWithItsPassword) {
  const struct {
    const char* archive;
    int strength;
    bool crcStored;  // false for AE-2, which stores CRC 0
  } archives[] = {
      {"infozip-stored.zip", 0, true},      {"infozip-deflate.zip", 0, true},
      {"infozip-streamed.zip", 0, true},    {"7zz-zipcrypto.zip", 0, true},
      {"7zz-aes128-stored.zip", 1, false},  {"7zz-aes128-deflate.zip", 1, false},
      {"7zz-aes192-stored.zip", 2, false},  {"7zz-aes192-deflate.zip", 2, false},
      {"7zz-aes256-stored.zip", 3, false},  {"7zz-aes256-deflate.zip", 3, false},
      {"7zz-aes256-ae1.zip", 3, true},
  };
  for (const auto& a : archives) {
    const std::vector<Sealed> entries = LoadEntries(a.archive);
    EXPECT_EQ(entries.size(), 5u) << a.archive;
    for (const Sealed& s : entries) {
      SCOPED_TRACE(std::string(a.archive) + ": " + s.path);
      EXPECT_EQ(s.strength, a.strength);
      bool authentic = false;
      const std::optional<Bytes> decrypted = Open(s, kPassword, {}, &authentic);
      ASSERT_TRUE(decrypted) << "password refused";
      EXPECT_EQ(authentic, s.strength != 0);
      const std::optional<Bytes> data = Expand(s, *decrypted);
      ASSERT_TRUE(data) << "does not inflate";
      EXPECT_EQ(*data, Plain(s.path));
      EXPECT_EQ(s.crc, a.crcStored ? Crc32(*data) : 0u);
    }
  }
}

// The traditional header's check byte is all a wrong password meets before the data, so about
// 1 in 256 wrong passwords gets past it; those must still come out as garbage.
TEST(ZipCrypto, WrongTraditionalPasswordsFailTheHeaderCheck) {
  for (const char* archive : {"infozip-stored.zip", "7zz-zipcrypto.zip"}) {  // time and CRC check bytes
    const Sealed s = Find(LoadEntries(archive), "readme.txt");
    const Bytes plain = Plain(s.path);
    std::vector<std::string> wrong = {"", "Secret", "secret ", "secre", "secreT", std::string("secret\0", 7)};
    for (int i = 0; wrong.size() < 300; ++i) wrong.push_back("wrong-" + std::to_string(i));
    int passed = 0;
    for (const std::string& password : wrong) {
      const std::optional<Bytes> decrypted = Open(s, password);
      if (!decrypted) continue;
      ++passed;
      const std::optional<Bytes> data = Expand(s, *decrypted);
      EXPECT_FALSE(data && *data == plain) << archive << " opens with \"" << password << '"';
    }
    // Expected about 1.2 of 300; more than 10 means the check does not filter.
    EXPECT_LE(passed, 10) << archive;
  }
}

// The AES verifier lets 1 in 65,536 wrong passwords through; the authentication code stops those.
TEST(ZipCrypto, WrongAesPasswordsFailTheVerifier) {
  for (const char* archive : {"7zz-aes128-stored.zip", "7zz-aes192-deflate.zip", "7zz-aes256-stored.zip"}) {
    const Sealed s = Find(LoadEntries(archive), "readme.txt");
    int passed = 0;
    for (const std::string password : {"", "Secret", "secret ", "secre", "wrong", "secret\xa3\xac"}) {
      bool authentic = true;
      if (!Open(s, password, {}, &authentic)) continue;
      ++passed;
      EXPECT_FALSE(authentic) << archive << " authenticates with \"" << password << '"';
    }
    EXPECT_LE(passed, 1) << archive;
  }
  // A key of the wrong strength is a different key.
  const Sealed s = Find(LoadEntries("7zz-aes256-stored.zip"), "readme.txt");
  TAesDecryptor aes;
  EXPECT_FALSE(aes.Init(kPassword, 0, s.head.data(), s.head.data() + 16));
  EXPECT_FALSE(aes.Init(kPassword, 4, s.head.data(), s.head.data() + 16));
  EXPECT_FALSE(aes.CheckAuthCode(s.code.data()));  // no keys, no authentication
}

TEST(ZipCrypto, AnyChangedByteFailsTheAuthCode) {
  const Sealed original = Find(LoadEntries("7zz-aes256-stored.zip"), "data.bin");
  ASSERT_GT(original.body.size(), 8192u);
  const struct {
    bool inCode;
    size_t at;
  } flips[] = {{false, 0}, {false, 8191}, {false, 8192}, {false, original.body.size() - 1}, {true, 0}, {true, 9}};
  for (const auto& f : flips) {
    Sealed s = original;
    (f.inCode ? s.code : s.body)[f.at] ^= 0x01;
    bool authentic = true;
    ASSERT_TRUE(Open(s, kPassword, {}, &authentic));
    EXPECT_FALSE(authentic) << (f.inCode ? "code byte " : "data byte ") << f.at;
  }
  // The code covers all the data: stopping short of the end does not authenticate either.
  Sealed shorter = original;
  shorter.body.pop_back();
  bool authentic = true;
  ASSERT_TRUE(Open(shorter, kPassword, {}, &authentic));
  EXPECT_FALSE(authentic);
}

// Counter blocks and key state carry over between calls, so any split gives the same bytes. The
// pieces cross the 16-byte AES blocks and the 8 KiB batches of keystream at odd places.
TEST(ZipCrypto, DecryptingInPiecesMatchesOneCall) {
  const std::vector<size_t> pieces = {1, 0, 15, 16, 17, 4099, 3, 8193, 7};
  for (const char* archive : {"7zz-aes128-stored.zip", "7zz-aes256-deflate.zip", "infozip-stored.zip",
                              "7zz-zipcrypto.zip"}) {
    for (const char* path : {"data.bin", "tiny.bin"}) {
      SCOPED_TRACE(std::string(archive) + ": " + path);
      const Sealed s = Find(LoadEntries(archive), path);
      bool whole = false, split = false;
      const std::optional<Bytes> once = Open(s, kPassword, {}, &whole);
      const std::optional<Bytes> inPieces = Open(s, kPassword, pieces, &split);
      ASSERT_TRUE(once && inPieces);
      EXPECT_EQ(*inPieces, *once);
      EXPECT_EQ(whole, s.strength != 0);
      EXPECT_EQ(split, whole);
      const std::optional<Bytes> data = Expand(s, *inPieces);
      ASSERT_TRUE(data);
      EXPECT_EQ(*data, Plain(path));
    }
  }
}

TEST(SysCrypto, Pbkdf2HmacSha1KnownAnswers) {
  // RFC 6070.
  const struct {
    std::string password, salt;
    uint32_t iterations;
    const char* key;
  } cases[] = {
      {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& c : cases) {
    const Bytes password = Of(c.password), salt = Of(c.salt), expected = Hex(c.key);
    Bytes key(expected.size());
    ASSERT_TRUE(sys::Pbkdf2HmacSha1(password.data(), password.size(), salt.data(), salt.size(), c.iterations,
                                    key.data(), key.size()));
    EXPECT_EQ(key, expected) << c.password << " / " << c.iterations;
  }
}

TEST(SysCrypto, AesBlockKnownAnswers) {
  // FIPS-197 appendix C: key 00 01 02 ..., plaintext 00 11 22 ... ff.
  const Bytes plain = Hex("00112233445566778899aabbccddeeff");
  const struct {
    size_t keySize;
    const char* cipher;
  } cases[] = {{16, "69c4e0d86a7b0430d8cdb78070b4c55a"},
               {24, "dda97ca4864cdfe06eaf70a0ec0d7191"},
               {32, "8ea2b7ca516745bfeafc49904b496089"}};
  sys::TAesBlockEncryptor aes;  // one object, keyed again for each case
  for (const auto& c : cases) {
    Bytes key(c.keySize);
    for (size_t i = 0; i < key.size(); ++i) key[i] = uint8_t(i);
    ASSERT_TRUE(aes.SetKey(key.data(), key.size()));
    // Three blocks in one call: each is encrypted on its own, with no chaining between them.
    Bytes in = plain, out(3 * sys::kAesBlockSize);
    in.insert(in.end(), sys::kAesBlockSize, 0x5a);
    in.insert(in.end(), plain.begin(), plain.end());
    ASSERT_TRUE(aes.EncryptBlocks(in.data(), out.data(), 3));
    const Bytes expected = Hex(c.cipher);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 16), expected) << c.keySize;
    EXPECT_EQ(Bytes(out.begin() + 32, out.end()), expected) << c.keySize;
  }
  const Bytes key(20);
  EXPECT_FALSE(aes.SetKey(key.data(), key.size()));
  Bytes out(sys::kAesBlockSize);
  EXPECT_FALSE(aes.EncryptBlocks(plain.data(), out.data(), 1));  // no key after a refused one
}

TEST(SysCrypto, HmacSha1KnownAnswersInAnyPieces) {
  // RFC 2202 cases 1, 2 and 6 (a key longer than the hash block).
  const struct {
    Bytes key;
    std::string data;
    const char* digest;
  } cases[] = {
      {Bytes(20, 0x0b), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
      {Of("Jefe"), "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {Bytes(80, 0xaa), "Test Using Larger Than Block-Size Key - Hash Key First",
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
  };
  sys::THmacSha1 hmac;  // one object, started again for each message
  for (const auto& c : cases) {
    const Bytes data = Of(c.data);
    for (size_t cut : {size_t(0), size_t(1), data.size() / 2, data.size()}) {
      uint8_t digest[sys::kSha1DigestSize];
      ASSERT_TRUE(hmac.Init(c.key.data(), c.key.size()));
      ASSERT_TRUE(hmac.Update(data.data(), cut));
      ASSERT_TRUE(hmac.Update(data.data() + cut, data.size() - cut));
      ASSERT_TRUE(hmac.Final(digest));
      EXPECT_EQ(Bytes(digest, digest + sizeof digest), Hex(c.digest)) << c.data << " cut at " << cut;
    }
  }
}

}  // namespace
}  // namespace velmora::zip
