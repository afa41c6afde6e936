// Reading archive catalogues: the end record, names in code page 936, dates, comments, zip64
// counts, damaged directories and the sorted views.
#include "zip/VCLUnZip.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <random>

#include "TestSupport.h"
#include "platform/ByteOrder.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {
namespace {

std::string ZipFixture(const std::string& name) { return std::string(VELMORA_ZIP_FIXTURE_DIR) + "/" + name; }

std::vector<std::string> Paths(const TVCLUnZip& engine) {
  std::vector<std::string> paths;
  for (int i = 0; i < engine.Count(); ++i) paths.push_back(engine.Entry(i).StoredPath());
  return paths;
}

TEST(ClampDosDateTime, KeepsValidValuesAndClampsEachFieldAlone) {
  auto dos = [](uint32_t y, uint32_t mo, uint32_t d, uint32_t h, uint32_t mi, uint32_t s2) {
    return y << 25 | mo << 21 | d << 16 | h << 11 | mi << 5 | s2;
  };
  struct Case {
    uint32_t in, out;
  } cases[] = {
      {dos(46, 12, 10, 13, 45, 29), dos(46, 12, 10, 13, 45, 29)},
      {0, dos(0, 1, 1, 0, 0, 0)},                                   // 1980-01-01 00:00:00
      {dos(127, 6, 15, 12, 0, 0), dos(119, 6, 15, 12, 0, 0)},       // year 2107 becomes 2099
      {dos(10, 13, 31, 31, 63, 31), dos(10, 12, 31, 23, 59, 29)},   // every field too large
  };
  for (const Case& c : cases) EXPECT_EQ(ClampDosDateTime(c.in), c.out);
}

TEST(ReadCatalogue, GbkNamesUnderOemAlwaysAndOemNever) {
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("infozip-gbk.zip"));
  engine.ReadCatalogue();
  const std::vector<std::string> paths = Paths(engine);
  // "文档\乗.txt": the 0x5C trail byte of 乗 stays part of the file name.
  const std::string folder = "\xce\xc4\xb5\xb5\\", file = "\x81\x5c.txt";
  bool found = false;
  for (int i = 0; i < engine.Count(); ++i) {
    if (engine.Entry(i).directory == folder && engine.Entry(i).fileName == file) found = true;
  }
  EXPECT_TRUE(found);

  TVCLUnZip never;
  never.OEMConvert = TOEMConvert::oemNever;
  never.SetZipName(ZipFixture("infozip-gbk.zip"));
  never.ReadCatalogue();
  ASSERT_EQ(never.Count(), engine.Count());
  for (int i = 0; i < never.Count(); ++i) {
    const std::string& path = paths[size_t(i)];
    const bool ascii = std::all_of(path.begin(), path.end(), [](char c) { return (unsigned char)c < 0x80; });
    // GBK bytes are not UTF-8: such names come out empty.
    if (!ascii) {
      EXPECT_EQ(never.Entry(i).fileName, "") << path;
    }
  }
}

TEST(ReadCatalogue, LongArchiveCommentAndEntryComments) {
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("infozip-comments.zip"));
  engine.ReadCatalogue();
  EXPECT_GT(engine.Count(), 0);
  EXPECT_EQ(engine.EndCentral().commentLength, 65535);
  EXPECT_EQ(engine.ZipComment().size(), 65535u);
  EXPECT_FALSE(engine.FileComment(0).empty());
}

TEST(ReadCatalogue, Zip64CountsComeFromTheZip64Record) {
  TVCLUnZip plain, patched;
  plain.SetZipName(ZipFixture("infozip-zip64.zip"));
  plain.ReadCatalogue();
  patched.SetZipName(ZipFixture("zip64-count.zip"));
  patched.ReadCatalogue();
  EXPECT_GT(plain.Count(), 0);
  EXPECT_EQ(patched.Count(), plain.Count());
  EXPECT_EQ(patched.EndCentral().totalEntries16, 0xFFFF);
}

TEST(ReadCatalogue, ArchivesWithoutEndRecord) {
  test::ScratchDir dir;
  test::WriteFile(dir / "empty.zip", {});
  test::WriteFile(dir / "short.zip", test::Bytes(21, 'P'));
  test::WriteFile(dir / "junk.zip", test::Bytes(5000, 'x'));
  for (const char* name : {"short.zip", "junk.zip"}) {
    SCOPED_TRACE(name);
    TVCLUnZip engine;
    engine.SetZipName(dir / name);
    engine.ReadCatalogue();  // an incomplete archive without handler ends quietly
    EXPECT_EQ(engine.Count(), 0);
    EXPECT_THROW(engine.ExtractEntries(), EIncompleteZip);

    TVCLUnZip strict;
    strict.IncompleteZipMode = TIncompleteZipMode::izAssumeNotAZip;
    strict.SetZipName(dir / name);
    EXPECT_THROW(strict.ReadCatalogue(), ENotAZipFile);
    EXPECT_EQ(strict.ZipName(), "");
  }
  TVCLUnZip empty;
  empty.SetZipName(dir / "empty.zip");
  empty.ReadCatalogue();
  EXPECT_EQ(empty.Count(), 0);
}

TEST(ReadCatalogue, TwoHeadersForOneLocalHeaderRebuildFromTheLocalHeaders) {
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("dup-offset.zip"));
  engine.ReadCatalogue();
  // Both local headers are found, in their order; the end record now tells what the rebuild found.
  ASSERT_EQ(engine.Count(), 2);
  EXPECT_EQ(engine.Entry(0).LocalHeaderOffset64(), 0u);
  EXPECT_GT(engine.Entry(1).LocalHeaderOffset64(), 0u);
  EXPECT_EQ(engine.Entry(1).fileName, "second.txt");
  EXPECT_EQ(engine.EndCentral().ThisDisk(), 0u);
  EXPECT_EQ(engine.EndCentral().TotalEntries(), 2u);
}

TEST(ReadCatalogue, NameInAnotherCaseKeepsTheCatalogueAndIndexesAreChecked) {
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("infozip-stored.zip"));
  engine.ReadCatalogue();
  const int count = engine.Count();
  ASSERT_GT(count, 0);
  std::string upper = ZipFixture("infozip-stored.zip");
  for (char& c : upper) c = char(std::toupper((unsigned char)c));
  engine.SetZipName(upper);
  EXPECT_EQ(engine.Count(), count);
  try {
    engine.Entry(count);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(std::string(e.what()), "Index " + std::to_string(count) + " is out of range");
  }
}

TEST(ReadCatalogue, CatalogueIsInDirectoryOrderAndViewsFollowTheSortMode) {
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("infozip-stored.zip"));
  engine.ReadCatalogue();
  for (int i = 1; i < engine.Count(); ++i) {
    EXPECT_LT(engine.Entry(i - 1).LocalHeaderOffset64(), engine.Entry(i).LocalHeaderOffset64());
  }
  engine.Sort(TZipSortMode::ByUnCompressedSize);
  for (int i = 1; i < engine.Count(); ++i) {
    EXPECT_GE(engine.Entry(i - 1).uncompressedSize, engine.Entry(i).uncompressedSize);
  }
}

TEST(ReadCatalogue, AWrongExtraLengthIsRetriedAsZero) {
  // Two entries without extra fields; the first central header's extra length (+30) is made 4, so
  // the second header seems to start 4 bytes late.
  test::Bytes zip = test::ReadFile(ZipFixture("crc-mismatch.zip"));
  const size_t end = zip.size() - 22;
  const uint32_t directory = ReadLE32(&zip[end + 16]);
  ASSERT_EQ(ReadLE16(&zip[directory + 30]), 0);
  zip[directory + 30] = 4;
  test::ScratchDir dir;
  test::WriteFile(dir / "patched.zip", zip);
  TVCLUnZip engine;
  engine.SetZipName(dir / "patched.zip");
  engine.ReadCatalogue();
  ASSERT_EQ(engine.Count(), 2);
  EXPECT_EQ(engine.Entry(0).centralExtraLength, 0);
  EXPECT_EQ(engine.Entry(1).fileName, "intact.txt");
}

TEST(ReadCatalogue, ReloadsOnlyWhenTheArchiveTimeChanges) {
  test::ScratchDir dir;
  const std::string path = dir / "a.zip";
  test::WriteFile(path, test::ReadFile(ZipFixture("infozip-stored.zip")));
  TVCLUnZip engine;
  engine.SetZipName(path);
  engine.ReadCatalogue();
  const int stored = engine.Count();

  // Another archive under the same name and time: the catalogue is still taken as current.
  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  test::WriteFile(path, test::ReadFile(ZipFixture("crc-mismatch.zip")));
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  engine.ReadCatalogue();
  EXPECT_EQ(engine.Count(), stored);

  const struct timespec later[2] = {{before.st_mtim.tv_sec + 10, 0}, {before.st_mtim.tv_sec + 10, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
  engine.ReadCatalogue();
  EXPECT_EQ(engine.Count(), 2);
}

TEST(ReadCatalogue, AesEntriesTakeTheirRealMethodAndStrength) {
  const std::string archive = std::string(VELMORA_SHARED_ZIP_DIR) + "/la-winzip_aes256.zip";
  if (!test::FileExists(archive)) GTEST_SKIP() << "the shared test archives are not beside the repository";
  TVCLUnZip engine;
  engine.SetZipName(archive);
  engine.ReadCatalogue();
  ASSERT_GT(engine.Count(), 0);
  const TZipHeaderInfo& e = engine.Entry(0);
  ASSERT_TRUE(e.aes.has_value());
  EXPECT_EQ(e.encryptionStrength, 3);
  EXPECT_EQ(e.compressionMethod, e.aes->method);
  EXPECT_NE(e.compressionMethod, 99);
}

// Newest first; a date that is no real day counts as 0 and goes last, after the real ones, in
// catalogue order.
TEST(ReadCatalogue, SortingByDatePutsDatesThatAreNoRealDayLast) {
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("bad-dates.zip"));
  engine.ReadCatalogue();
  engine.Sort(TZipSortMode::ByDate);
  EXPECT_EQ(Paths(engine), (std::vector<std::string>{"mar01.txt", "leap.txt", "old.txt", "feb30.txt", "apr31.txt"}));
}

// Adding entries one by one and all at once must give the same order in every mode, ties included.
TEST(TSortedZip, BulkAddMatchesOneByOneInsertion) {
  std::mt19937 rng(7);
  std::vector<std::unique_ptr<TZipHeaderInfo>> entries;
  for (int i = 0; i < 300; ++i) {
    auto e = std::make_unique<TZipHeaderInfo>();
    e->SetPath(std::string(1, char('a' + rng() % 3)) + "\\" + std::string(1, char('A' + rng() % 4)));
    e->dateTime = uint32_t(40 + rng() % 3) << 25 | 1 << 21 | 1 << 16;
    e->compressedSize = rng() % 5;
    e->uncompressedSize = rng() % 5;
    e->relativeOffset = uint32_t(rng() % 1000);
    entries.push_back(std::move(e));
  }
  std::vector<TZipHeaderInfo*> raw;
  for (auto& e : entries) raw.push_back(e.get());
  for (TZipSortMode mode : {TZipSortMode::ByName, TZipSortMode::ByFileName, TZipSortMode::ByDirectoryName,
                            TZipSortMode::ByDate, TZipSortMode::ByCompressedSize, TZipSortMode::ByUnCompressedSize,
                            TZipSortMode::ByRate, TZipSortMode::ByNone}) {
    for (TDuplicates dups : {TDuplicates::dupAccept, TDuplicates::dupIgnore}) {
      TSortedZip one(mode, dups, false), all(mode, dups, false);
      for (TZipHeaderInfo* e : raw) one.Add(e);
      all.AddAll(raw);
      EXPECT_EQ(one.Items(), all.Items()) << int(mode) << " " << int(dups);
    }
  }
  TSortedZip strict(TZipSortMode::ByNone, TDuplicates::dupError, false);
  EXPECT_THROW(strict.AddAll(raw), EListError);  // 300 offsets below 1000 repeat
  EXPECT_THROW(strict.Put(0, raw[0]), EListError);
}

}  // namespace
}  // namespace velmora::zip
