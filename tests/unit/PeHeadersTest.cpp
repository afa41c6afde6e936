// Where the payload region ends: before a certificate table that closes the file, else at the end.
#include "payload/PeHeaders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "TestSupport.h"
#include "payload/PayloadFormat.h"
#include "payload/UCovert.h"

namespace velmora::payload {
namespace {

using test::Bytes;

// A PE image's headers as a linker lays them out: "MZ" and e_lfanew = 0x80, "PE\0\0" at 0x80, the
// COFF header at 0x84 (section count at +2, optional header size at +16), the optional header at
// 0x98 with its magic, its data directory count (PE32 +92, PE32+ +108) and the directories
// behind it, 8 bytes each; the security directory is the fifth.
constexpr size_t kPeAt = 0x80;
constexpr size_t kOptionalAt = kPeAt + 4 + 20;

struct Image {
  uint16_t magic = 0x10B;
  uint32_t directoryCount = 16;
  uint16_t optionalSize = 0xE0;
  size_t size = 1024;

  size_t SecurityAt() const { return kOptionalAt + (magic == 0x20B ? 112 : 96) + 4 * 8; }
  Bytes Build(uint32_t tableOffset, uint32_t tableSize) const {
    Bytes b(size, 0);
    b[0] = 'M';
    b[1] = 'Z';
    WriteLE32(b.data() + 0x3C, kPeAt);
    std::memcpy(b.data() + kPeAt, "PE\0\0", 4);
    b[kPeAt + 4 + 2] = 1;  // one section
    b[kPeAt + 4 + 16] = uint8_t(optionalSize);
    b[kPeAt + 4 + 17] = uint8_t(optionalSize >> 8);
    b[kOptionalAt] = uint8_t(magic);
    b[kOptionalAt + 1] = uint8_t(magic >> 8);
    WriteLE32(b.data() + kOptionalAt + (magic == 0x20B ? 108 : 92), directoryCount);
    WriteLE32(b.data() + SecurityAt(), tableOffset);
    WriteLE32(b.data() + SecurityAt() + 4, tableSize);
    return b;
  }
};

RegionEnd Find(const Bytes& head, uint64_t fileSize) { return FindRegionEnd(head.data(), head.size(), fileSize); }

TEST(FindRegionEnd, TrustsOnlyATableThatEndsTheFile) {
  constexpr uint64_t kFile = 100000;
  struct Case {
    const char* what;
    Image image;
    uint32_t offset, size;
    uint64_t fileSize;
    bool trusted;
  } cases[] = {
      {"table ends the file", {}, 99000, 1000, kFile, true},
      {"PE32+ image, table ends the file", {0x20B, 16, 0xF0}, 99000, 1000, kFile, true},
      {"table followed by other bytes", {}, 90000, 1000, kFile, false},
      {"table reaching past the end of the file", {}, 99000, 1001, kFile, false},
      {"table wholly outside the file", {}, 200000, 1000, kFile, false},
      {"table whose end wraps past 4 GiB to the file size", {}, 0xFFFFFFF0u, 0x20, 0x10, false},
      {"empty table at the end of the file", {}, 100000, 0, kFile, false},
      {"table at offset 0 covering the whole file", {}, 0, 100000, kFile, false},
      {"only four data directories", {0x10B, 4, 0xE0}, 99000, 1000, kFile, false},
      {"optional header too short for the fifth directory", {0x10B, 16, 96 + 4 * 8 + 4}, 99000, 1000, kFile,
       false},
      {"unknown optional header magic", {0x107, 16, 0xE0}, 99000, 1000, kFile, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RegionEnd end = Find(c.image.Build(c.offset, c.size), c.fileSize);
    EXPECT_EQ(end.rule, c.trusted ? RegionEndRule::kCertificateTable : RegionEndRule::kEndOfFile);
    EXPECT_EQ(end.offset, c.trusted ? uint64_t{c.offset} : c.fileSize);
  }
}

TEST(FindRegionEnd, ReportsTheDirectoryAlsoWhenItIsNotTrusted) {
  const RegionEnd notLast = Find(Image{}.Build(500, 16), 100000);
  ASSERT_TRUE(notLast.directory.has_value());
  EXPECT_EQ(notLast.directory->offset, 500u);
  EXPECT_EQ(notLast.directory->size, 16u);
  EXPECT_FALSE(Find(Image{}.Build(0, 0), 100000).directory.has_value());
  // A PE32 image's fifth directory is not where a PE32+ image keeps it.
  Bytes pe32 = Image{}.Build(0, 0);
  WriteLE32(pe32.data() + Image{0x20B}.SecurityAt(), 99000);
  WriteLE32(pe32.data() + Image{0x20B}.SecurityAt() + 4, 1000);
  EXPECT_EQ(Find(pe32, 100000).rule, RegionEndRule::kEndOfFile);
}

TEST(FindRegionEnd, FilesThatAreNoPeImageEndAtTheEndOfTheFile) {
  const Bytes good = Image{}.Build(99000, 1000);
  const auto with = [&](size_t at, uint32_t value) {
    Bytes b = good;
    WriteLE32(b.data() + at, value);
    return b;
  };
  struct Case {
    const char* what;
    Bytes head;
  } cases[] = {
      {"no MZ", with(0, 0x00905A4E)},
      {"no PE signature", with(kPeAt, 0x00004551)},
      {"e_lfanew beyond the head", with(0x3C, 5000)},
      {"e_lfanew near 4 GiB", with(0x3C, 0xFFFFFFFCu)},
      {"e_lfanew at the head's last bytes", with(0x3C, uint32_t(good.size() - 2))},
      {"empty head", Bytes{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RegionEnd end = Find(c.head, 100000);
    EXPECT_EQ(end.rule, RegionEndRule::kEndOfFile);
    EXPECT_EQ(end.offset, 100000u);
    EXPECT_FALSE(end.directory.has_value());
  }
}

// Every prefix of the headers, each in a heap block of exactly its size so that a read past it is
// caught by the sanitizers: the directory counts only once all of its bytes are in the head.
TEST(FindRegionEnd, ReadsNothingBeyondTheHeadItIsGiven) {
  const Image image;
  const Bytes full = image.Build(99000, 1000);
  for (size_t size = 0; size <= full.size(); ++size) {
    SCOPED_TRACE(size);
    std::unique_ptr<uint8_t[]> head(new uint8_t[size ? size : 1]);
    std::memcpy(head.get(), full.data(), size);
    const RegionEnd end = FindRegionEnd(head.get(), size, 100000);
    EXPECT_EQ(end.rule == RegionEndRule::kCertificateTable, size >= image.SecurityAt() + 8);
  }
}

TEST(FindRegionEnd, LooksOnlyAtTheFirst4KiB) {
  Image image;
  image.size = 2 * kPeHeadSize;
  Bytes head = image.Build(0, 0);
  // Headers placed at the end of the second 4 KiB: the setup never reads that far.
  const size_t peAt = kPeHeadSize + 0x80;
  WriteLE32(head.data() + 0x3C, uint32_t(peAt));
  std::memcpy(head.data() + peAt, head.data() + kPeAt, 0x200);
  WriteLE32(head.data() + peAt + (image.SecurityAt() - kPeAt), 99000);
  WriteLE32(head.data() + peAt + (image.SecurityAt() - kPeAt) + 4, 1000);
  EXPECT_EQ(Find(head, 100000).rule, RegionEndRule::kEndOfFile);
}

// A signed setup: [headers][padding][block][trailer][certificate table], the directory naming the
// table. The copy-out finds the block in front of the table, and falls back to the end of the file
// when the directory names a table that does not end it.
TEST(CopyPayloadOut, FindsTheRegionInFrontOfACertificateTableThatEndsTheFile) {
  const Bytes block{0x5D, 0x00, 0x00, 0x01, 0x00, 0xA1, 0xA2, 0xA3};
  const Bytes table(24, 0xCE);
  const auto setup = [&](uint32_t tableOffset, uint32_t tableSize, const Bytes& behind) {
    Bytes file = Image{}.Build(tableOffset, tableSize);
    file.resize(file.size() + 4, 0);  // padding in front of the region
    file.insert(file.end(), block.begin(), block.end());
    file.resize(file.size() + 4);
    WriteLE32(file.data() + file.size() - 4, uint32_t(block.size() + 4));
    file.insert(file.end(), behind.begin(), behind.end());
    return file;
  };
  const uint32_t tableAt = uint32_t(setup(0, 0, {}).size());

  test::ScratchDir dir;
  test::WriteFile(dir / "signed.exe", setup(tableAt, uint32_t(table.size()), table));
  ASSERT_TRUE(CopyPayloadOut(dir / "signed.exe", dir / "block.tmp"));
  EXPECT_TRUE(test::ReadFile(dir / "block.tmp") == block);

  // The same table with bytes behind it is not trusted: the last 4 bytes are read as the trailer.
  Bytes behind = table;
  behind.insert(behind.end(), {1, 2, 3, 4});
  test::WriteFile(dir / "appended.exe", setup(tableAt, uint32_t(table.size()), behind));
  EXPECT_FALSE(CopyPayloadOut(dir / "appended.exe", dir / "appended.tmp"));
  // A directory left over from a signed stub, naming a table inside the image: the file's end rules.
  test::WriteFile(dir / "stale.exe", setup(0x200, 16, {}));
  ASSERT_TRUE(CopyPayloadOut(dir / "stale.exe", dir / "stale.tmp"));
  EXPECT_TRUE(test::ReadFile(dir / "stale.tmp") == block);
}

}  // namespace
}  // namespace velmora::payload
