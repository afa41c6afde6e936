// Archives over several parts, damaged archives rebuilt from their local headers, and the
// companion file that carries a lost central directory.
#include "zip/VCLUnZip.h"

#include <gtest/gtest.h>

#include <utime.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "TestSupport.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {
namespace {

std::string ZipFixture(const std::string& name) { return std::string(VELMORA_ZIP_FIXTURE_DIR) + "/" + name; }

TEST(SplitPartName, StandardAndClassicNamesOfAThreePartSet) {
  const std::string base = "C:\\dl\\set";
  EXPECT_EQ(TVCLUnZip::SplitPartName(base, 1, false, TBlockMode::bmStandard), base + ".z01");
  EXPECT_EQ(TVCLUnZip::SplitPartName(base, 2, false, TBlockMode::bmStandard), base + ".z02");
  EXPECT_EQ(TVCLUnZip::SplitPartName(base, 3, true, TBlockMode::bmStandard), base + ".zip");
  EXPECT_EQ(TVCLUnZip::SplitPartName(base, 1, false, TBlockMode::bmClassic), base + ".001");
  EXPECT_EQ(TVCLUnZip::SplitPartName(base, 3, true, TBlockMode::bmClassic), base + ".003");
}

// Extracts the whole archive and returns how many entries passed; counts part requests.
int ExtractAll(TVCLUnZip& engine, const std::string& dest) {
  engine.SetDestDir(dest);
  engine.DoAll = true;
  engine.RecreateDirs = true;
  engine.OverwriteMode = TUZOverwriteMode::Always;
  return engine.ExtractEntries();
}

TEST(MultiPart, SplitSetReadFromItsLastPartWithPartNamesFromTheHandler) {
  test::ScratchDir dir;
  TVCLUnZip engine;
  engine.SetZipName(ZipFixture("split.zip"));
  std::vector<std::pair<int, TSplitPartType>> asked;
  engine.OnFileNameForSplitPart = [&](TVCLUnZip*, std::string& name, int n, TSplitPartType type) {
    asked.emplace_back(n, type);
    name = TVCLUnZip::SplitPartName(name, n, type == TSplitPartType::spLast, TBlockMode::bmStandard);
  };
  engine.ReadCatalogue();
  EXPECT_EQ(engine.DiskSetMode(), 2);
  engine.SortMode = TZipSortMode::ByName;
  const int extracted = ExtractAll(engine, dir / "out");
  EXPECT_EQ(extracted, engine.Count());
  EXPECT_EQ(engine.SortMode, TZipSortMode::ByName);  // restored after the run
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.front(), std::make_pair(1, TSplitPartType::spFirst));
  EXPECT_EQ(test::ReadFile(dir / "out/part-3.bin").size(), 50000u);
}

TEST(MultiPart, DefaultPartNamesReplaceOnlyTheLastExtension) {
  test::ScratchDir dir;
  for (int n = 1;; ++n) {
    char part[16];
    std::snprintf(part, sizeof part, "split.z%02d", n);
    if (!test::FileExists(ZipFixture(part))) break;
    test::WriteFile(dir / ("my." + std::string(part)), test::ReadFile(ZipFixture(part)));
  }
  test::WriteFile(dir / "my.split.zip", test::ReadFile(ZipFixture("split.zip")));
  TVCLUnZip engine;
  engine.SetZipName(dir / "my.split.zip");
  engine.ReadCatalogue();
  ASSERT_EQ(engine.Count(), 5);
  EXPECT_EQ(ExtractAll(engine, dir / "out"), 5);  // my.split.z01 ..., not my.z01
  EXPECT_EQ(test::ReadFile(dir / "out/part-3.bin").size(), 50000u);
}

// The archive comment is the one in the part that holds the end record, also when the directory
// ends in an earlier part (the boundary set), before and after the run has moved through the parts.
TEST(MultiPart, ArchiveCommentComesFromThePartHoldingTheEndRecord) {
  const struct {
    const char* archive;
    std::string comment;
    int entries;
  } sets[] = {
      {"split.zip", "Velmora split set\r\nthe comment stands in the last part", 5},
      {"boundary.zip", "boundary comment", 2},
  };
  for (const auto& set : sets) {
    SCOPED_TRACE(set.archive);
    test::ScratchDir dir;
    TVCLUnZip engine;
    engine.SetZipName(ZipFixture(set.archive));
    engine.ReadCatalogue();
    EXPECT_EQ(engine.ZipComment(), set.comment);
    EXPECT_EQ(ExtractAll(engine, dir / "out"), set.entries);
    EXPECT_EQ(engine.ZipComment(), set.comment);
  }
}

TEST(MultiPart, ClassicNamesAndAMissingPart) {
  test::ScratchDir dir;
  for (int n = 1; n <= 4; ++n) {
    const std::string name = "classic.00" + std::to_string(n);
    if (n != 2) test::WriteFile(dir / name, test::ReadFile(ZipFixture(name)));
  }
  TVCLUnZip engine;
  engine.BlockMode = TBlockMode::bmClassic;
  engine.SetZipName(dir / "classic.004");
  engine.ReadCatalogue();
  EXPECT_GT(engine.Count(), 0);
  // The second part is not there: opening it fails when an entry needs it.
  EXPECT_THROW(ExtractAll(engine, dir / "out"), EFOpenError);
}

TEST(MultiPart, SpannedSetAsksForEachDiskAndCancellingStops) {
  test::ScratchDir dir;
  TVCLUnZip engine;
  engine.SetDiskSetMode(1);  // as for a set spanned over removable disks
  engine.SetCheckDiskLabels(false);
  engine.SetZipName(ZipFixture("split.zip"));
  std::vector<int> disks;
  engine.OnGetNextDisk = [&](TVCLUnZip*, int n, std::string& name) {
    disks.push_back(n);
    name = TVCLUnZip::SplitPartName(ZipFixture("split"), n, n == 4, TBlockMode::bmStandard);
  };
  engine.ReadCatalogue();
  EXPECT_EQ(ExtractAll(engine, dir / "out"), engine.Count());
  ASSERT_FALSE(disks.empty());
  EXPECT_EQ(disks.front(), 1);

  // Without a handler the user is asked through the message channel; Cancel ends the load.
  TVCLUnZip asked;
  asked.SetDiskSetMode(1);
  asked.SetCheckDiskLabels(false);
  asked.SetZipName(ZipFixture("split.zip"));
  std::string prompt;
  asked.OnHandleMessage = [&](TVCLUnZip*, int, const std::string& text, const std::string&, uint32_t flags, int& answer) {
    prompt = text + "|" + std::to_string(flags);
    answer = 2;  // Cancel
  };
  try {
    asked.ReadCatalogue();
    ExtractAll(asked, dir / "asked");
    FAIL() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled loading new disk.");
  }
  EXPECT_EQ(prompt, "Please insert disk 1 of the multi-disk set.|1");
}

TEST(Recovery, RebuildsTheCatalogueFromLocalHeadersInTheirOrder) {
  for (const char* name : {"recover-cut.zip", "sfx-junk.exe"}) {
    SCOPED_TRACE(name);
    TVCLUnZip engine;
    engine.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
    engine.SetZipName(ZipFixture(name));
    engine.ReadCatalogue();
    ASSERT_EQ(engine.Count(), 3);
    for (int i = 1; i < engine.Count(); ++i) {
      EXPECT_LT(engine.Entry(i - 1).LocalHeaderOffset64(), engine.Entry(i).LocalHeaderOffset64());
    }
    // The program before the archive is skipped, signature and all.
    if (std::string(name) == "sfx-junk.exe") {
      EXPECT_GE(engine.Entry(0).LocalHeaderOffset64(), 14000u);
    }
    EXPECT_EQ(engine.EndCentral().ThisDisk(), 0u);
    EXPECT_EQ(engine.EndCentral().TotalEntries(), 3u);
    test::ScratchDir dir;
    EXPECT_EQ(ExtractAll(engine, dir / "out"), 3);
  }
  // Without a rebuild the same archive is not a ZIP.
  TVCLUnZip strict;
  strict.IncompleteZipMode = TIncompleteZipMode::izAssumeNotAZip;
  strict.SetZipName(ZipFixture("recover-cut.zip"));
  EXPECT_THROW(strict.ReadCatalogue(), ENotAZipFile);
}

// A damaged archive rebuilt from its local headers, then replaced by an intact one: the next load
// reads the intact archive's own directory.
TEST(Recovery, AReplacedArchiveIsReadAfreshAfterARebuild) {
  test::ScratchDir dir;
  const std::string path = dir / "archive.zip";
  test::WriteFile(path, test::ReadFile(ZipFixture("recover-cut.zip")));
  TVCLUnZip engine;
  engine.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  engine.SetZipName(path);
  engine.ReadCatalogue();
  ASSERT_EQ(engine.Count(), 3);

  TVCLUnZip fresh;
  fresh.SetZipName(ZipFixture("infozip-stored.zip"));
  fresh.ReadCatalogue();
  test::WriteFile(path, test::ReadFile(ZipFixture("infozip-stored.zip")));
  const struct utimbuf later = {std::time(nullptr) + 60, std::time(nullptr) + 60};  // another DOS time
  ASSERT_EQ(utime(path.c_str(), &later), 0);
  engine.ReadCatalogue();
  EXPECT_EQ(engine.Count(), fresh.Count());
  EXPECT_EQ(engine.Entry(engine.Count() - 1).StoredPath(), fresh.Entry(fresh.Count() - 1).StoredPath());
}

TEST(Recovery, CompanionFileCarriesTheCentralDirectory) {
  // The companion's name replaces only the archive's last extension.
  test::ScratchDir dir;
  test::WriteFile(dir / "my.backup.zip", test::ReadFile(ZipFixture("companion.zip")));
  test::WriteFile(dir / "my.backup.zfc", test::ReadFile(ZipFixture("companion.zfc")));
  TVCLUnZip engine;
  engine.SetZipName(dir / "my.backup.zip");
  engine.ReadCatalogue();
  ASSERT_EQ(engine.Count(), 3);
  // The comments are the companion's.
  EXPECT_EQ(engine.ZipComment(), "companion comment");
  for (int i = 0; i < engine.Count(); ++i) {
    std::string name = engine.Entry(i).StoredPath();
    std::replace(name.begin(), name.end(), '\\', '/');
    EXPECT_EQ(engine.FileComment(i), "about " + name);
  }
  EXPECT_EQ(ExtractAll(engine, dir / "out"), 3);
}

TEST(ZipName, AQuestionMarkAsksAndCancellingChangesNothing) {
  struct Cancel : TZipServices {
    std::string title;
    bool PickFile(const std::string& t, const std::string&, const std::string&, std::string&) override {
      title = t;
      return false;
    }
  } services;
  TVCLUnZip engine(services);
  engine.SetZipName(ZipFixture("infozip-stored.zip"));
  try {
    engine.SetZipName("?");
    FAIL() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
  }
  EXPECT_EQ(services.title, "Open a Zip File");
  EXPECT_EQ(engine.ZipName(), ZipFixture("infozip-stored.zip"));
}

}  // namespace
}  // namespace velmora::zip
