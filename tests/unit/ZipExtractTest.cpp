// Extraction runs: destination paths (the entry names refused or changed on the way), events,
// overwrite rules, read-only files, damaged entries and progress.
#include "zip/VCLUnZip.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "DiskFaults.h"
#include "TestSupport.h"
#include "platform/SysFs.h"
#include "platform/ByteOrder.h"
#include "platform/SysUi.h"
#include "zip/EntryPath.h"
#include "zip/ExtractRun.h"
#include "zip/ZipCrypto.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {
namespace {

std::string ZipFixture(const std::string& name) { return std::string(VELMORA_ZIP_FIXTURE_DIR) + "/" + name; }

// An engine set up as the installer sets it, with every event recorded.
struct Recorder {
  TVCLUnZip engine;
  std::vector<std::string> started, ended, skipped, badCrc, messages;
  std::vector<int> totals;
  int completeCount = -1;

  Recorder(const std::string& archive, const std::string& dest) {
    engine.SetZipName(archive);
    engine.SetDestDir(dest);
    engine.DoAll = true;
    engine.RecreateDirs = true;
    engine.RetainAttributes = true;
    engine.OverwriteMode = TUZOverwriteMode::Always;
    engine.OnStartUnZip = [this](TVCLUnZip*, int, std::string& name, bool&) { started.push_back(name); };
    engine.OnEndUnZip = [this](TVCLUnZip*, int, const std::string& name) { ended.push_back(name); };
    engine.OnSkippingFile = [this](TVCLUnZip*, TSkipReason r, const std::string& name, int, bool&) {
      skipped.push_back(std::to_string(int(r)) + ":" + name);
    };
    engine.OnBadCRC = [this](TVCLUnZip*, int32_t, int32_t, int index) { badCrc.push_back(engine.Entry(index).fileName); };
    engine.OnTotalPercentDone = [this](TVCLUnZip*, int percent) { totals.push_back(percent); };
    engine.OnUnZipComplete = [this](TVCLUnZip*, int count) { completeCount = count; };
    engine.OnHandleMessage = [this](TVCLUnZip*, int id, const std::string& text, const std::string& caption,
                                    uint32_t flags, int& answer) {
      messages.push_back(std::to_string(id) + "|" + text + "|" + caption + "|" + std::to_string(flags));
      answer = sys::kIdYes;
    };
  }
};

TEST(ExtractEntries, RebuildsFoldersUnderDestDirAndReportsEveryStep) {
  test::ScratchDir dir;
  Recorder r(ZipFixture("infozip-stored.zip"), dir / "out\\");  // one trailing backslash is dropped
  const int extracted = r.engine.ExtractEntries();
  EXPECT_EQ(r.engine.DestDir(), dir / "out");
  EXPECT_EQ(extracted, r.completeCount);
  EXPECT_EQ(r.ended.size(), r.started.size());
  EXPECT_TRUE(r.skipped.empty());
  const std::string nested = dir / "out" + "\\a\\b\\c.txt";
  EXPECT_NE(std::find(r.started.begin(), r.started.end(), nested), r.started.end());
  EXPECT_TRUE(test::FileExists(dir / "out/a/b/c.txt"));
  // The total percentage never falls and ends at 100.
  ASSERT_FALSE(r.totals.empty());
  EXPECT_TRUE(std::is_sorted(r.totals.begin(), r.totals.end()));
  EXPECT_EQ(r.totals.back(), 100);
}

TEST(ExtractEntries, HandlerCanRenameSkipOrStopTheRun) {
  test::ScratchDir dir;
  {
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "renamed");
    r.engine.OnStartUnZip = [&](TVCLUnZip*, int index, std::string& name, bool&) {
      name = dir / "elsewhere\\" + std::to_string(index) + ".dat";
    };
    const int extracted = r.engine.ExtractEntries();
    EXPECT_GT(extracted, 0);
    ASSERT_FALSE(r.ended.empty());
    EXPECT_EQ(r.ended[0].rfind(dir / "elsewhere\\", 0), 0u);  // OnEndUnZip sees the new name
    EXPECT_TRUE(test::FileExists(dir / "elsewhere/" + std::to_string(0) + ".dat") ||
                sys::DirectoryExists(dir / "elsewhere"));
  }
  {
    // An archive of files only, as the installer's is: nothing at all is created.
    Recorder r(ZipFixture("crc-mismatch.zip"), dir / "skipped");
    r.engine.OnStartUnZip = [](TVCLUnZip*, int, std::string&, bool& skip) { skip = true; };
    EXPECT_EQ(r.engine.ExtractEntries(), 0);
    EXPECT_EQ(r.completeCount, 0);
    EXPECT_TRUE(r.totals.empty());
    EXPECT_EQ(test::EntriesUnder(dir / "skipped"), 0u);  // DestDir itself is made, nothing in it
  }
  {
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "stopped");
    r.engine.OnStartUnZipInfo = [](TVCLUnZip*, int, int64_t, bool& stop) { stop = true; };
    EXPECT_EQ(r.engine.ExtractEntries(), 0);
    EXPECT_EQ(r.completeCount, 0);
    EXPECT_TRUE(r.started.empty());
  }
}

// An exception of any handler leaves ExtractEntries, OnUnZipComplete's too, also when a step has
// already raised; the run still reports its end and puts its settings back, and the engine can run
// again.
TEST(ExtractEntries, HandlerExceptionsLeaveTheRun) {
  struct HandlerError : std::runtime_error {
    using std::runtime_error::runtime_error;
  };
  struct Case {
    const char* archive;
    int throwAtStartOf;  // the FileIndex whose OnStartUnZip raises, or -1
    bool throwAtComplete;
  } cases[] = {
      {"infozip-stored.zip", -1, true},
      {"truncated-entry.zip", -1, true},  // its last entry raises EFatalUnzipError first
      {"infozip-stored.zip", 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.archive) + " " + std::to_string(c.throwAtStartOf));
    test::ScratchDir dir;
    Recorder r(ZipFixture(c.archive), dir / "out");
    r.engine.FilesList = {"*"};
    int completions = 0;
    r.engine.OnStartUnZip = [&](TVCLUnZip*, int index, std::string&, bool&) {
      if (index == c.throwAtStartOf) throw HandlerError("start");
    };
    r.engine.OnUnZipComplete = [&](TVCLUnZip* engine, int count) {
      ++completions;
      r.completeCount = count;
      EXPECT_TRUE(engine->KeepZipOpen);  // still the run's own setting
      if (c.throwAtComplete) throw HandlerError("complete");
    };
    try {
      r.engine.ExtractEntries();
      ADD_FAILURE() << "no exception";
    } catch (const HandlerError& e) {
      EXPECT_STREQ(e.what(), c.throwAtComplete ? "complete" : "start");
    }
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(r.engine.KeepZipOpen);
    EXPECT_TRUE(r.engine.FilesList.empty());
    if (c.throwAtStartOf >= 0) {
      EXPECT_EQ(r.completeCount, c.throwAtStartOf);  // every entry before it was extracted
      EXPECT_FALSE(test::FileExists(dir / "out/" + r.engine.Entry(c.throwAtStartOf).fileName));
    }
    r.engine.OnStartUnZip = nullptr;
    r.engine.OnUnZipComplete = nullptr;
    if (c.archive != std::string("truncated-entry.zip")) {
      const int again = r.engine.ExtractEntries();
      EXPECT_EQ(again, r.engine.Count());
    }
  }
}



TEST(ExtractEntries, ReadOnlyDestinationIsReplacedOnlyWithReplaceReadOnly) {
  for (bool replace : {true, false}) {
    SCOPED_TRACE(replace);
    test::ScratchDir dir;
    ASSERT_TRUE(sys::ForceDirectories(dir / "out/a/b"));
    test::WriteFile(dir / "out/a/b/c.txt", {'o', 'l', 'd'});
    ASSERT_TRUE(sys::SetAttributes(dir / "out/a/b/c.txt", sys::kAttrReadOnly));
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "out");
    r.engine.ReplaceReadOnly = replace;
    r.engine.ExtractEntries();
    const test::Bytes now = test::ReadFile(dir / "out/a/b/c.txt");
    uint32_t attributes = 0;
    ASSERT_TRUE(sys::GetAttributes(dir / "out/a/b/c.txt", attributes));
    if (replace) {
      EXPECT_NE(now, (test::Bytes{'o', 'l', 'd'}));
      EXPECT_EQ(attributes & sys::kAttrReadOnly, 0u);
      EXPECT_TRUE(r.skipped.empty());
    } else {
      EXPECT_EQ(now, (test::Bytes{'o', 'l', 'd'}));
      ASSERT_EQ(r.skipped.size(), 1u);
      EXPECT_EQ(r.skipped[0], std::to_string(int(TSkipReason::srCreateError)) + ":" + dir / "out" + "\\a\\b\\c.txt");
      EXPECT_EQ(r.totals.back(), 100);  // the total no longer counts that entry
    }
    sys::SetAttributes(dir / "out/a/b/c.txt", 0x20);
  }
}

// On a volume that sets a file's length aside when it is set, with room for the small files only:
// the large entry is given up like one that cannot be created, and leaves no file behind.
TEST(ExtractEntries, OutputThatCannotBeSizedIsGivenUp) {
  test::ScratchDir dir;
  Recorder r(ZipFixture("infozip-stored.zip"), dir / "out");
  test::DiskFaults faults;
  faults.NoRoomToSize(dir / "out", 1000);
  const int extracted = r.engine.ExtractEntries();
  EXPECT_EQ(extracted, r.engine.Count() - 1);
  EXPECT_EQ(r.skipped, std::vector<std::string>{std::to_string(int(TSkipReason::srCreateError)) + ":" + dir / "out" +
                                                "\\big.txt"});
  EXPECT_FALSE(test::FileExists(dir / "out/big.txt"));
  EXPECT_TRUE(test::FileExists(dir / "out/a/b/c.txt"));
  EXPECT_EQ(r.totals.back(), 100);  // the run's total no longer counts it
}

// The buffer of the archive and output streams changes only how often the file system is called;
// a StreamBufferSize of 0 is taken as 1.
TEST(ExtractEntries, AnyStreamBufferSizeGivesTheSameFiles) {
  const auto contents = [](const std::string& root) {
    std::map<std::string, test::Bytes> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
      if (e.is_regular_file()) files[std::filesystem::relative(e.path(), root).string()] = test::ReadFile(e.path());
    }
    return files;
  };
  test::ScratchDir dir;
  std::map<std::string, test::Bytes> expected;
  for (size_t size : {8192, 0, 1, 3}) {
    SCOPED_TRACE(size);
    const std::string out = dir / std::to_string(size);
    Recorder r(ZipFixture("infozip-deflate.zip"), out);
    r.engine.StreamBufferSize = size;
    const int extracted = r.engine.ExtractEntries();
    EXPECT_EQ(extracted, r.engine.Count());
    if (expected.empty()) expected = contents(out);
    EXPECT_EQ(contents(out), expected);
  }
  EXPECT_EQ(expected.size(), 25u);
}

TEST(ExtractEntries, OverwriteModesAndThePromptThroughTheMessageChannel) {
  test::ScratchDir dir;
  ASSERT_TRUE(sys::ForceDirectories(dir / "out/a/b"));
  test::WriteFile(dir / "out/a/b/c.txt", {'o', 'l', 'd'});
  {
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "out");
    r.engine.OverwriteMode = TUZOverwriteMode::Never;
    r.engine.ExtractEntries();
    EXPECT_EQ(test::ReadFile(dir / "out/a/b/c.txt"), (test::Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(r.skipped.size(), 1u);
  }
  {
    ASSERT_TRUE(sys::ForceDirectories(dir / "prompt/a/b"));
    test::WriteFile(dir / "prompt/a/b/c.txt", {'o', 'l', 'd'});
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "prompt");
    r.engine.OverwriteMode = TUZOverwriteMode::Prompt;
    r.engine.ExtractEntries();
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "196|Replace existing file c.txt?|File Exists Alert|4");
    EXPECT_NE(test::ReadFile(dir / "prompt/a/b/c.txt"), (test::Bytes{'o', 'l', 'd'}));
  }
}

// The name a handler gives the entry is the one the overwrite decision looks at, the one written
// and the one OnEndUnZip reports; the folder it names is made first.
TEST(ExtractEntries, TheOverwriteDecisionLooksAtTheNameAHandlerGave) {
  const test::Bytes old{'o', 'l', 'd'};
  struct Case {
    const char* what;
    TUZOverwriteMode mode;
    const char* renamedTo;  // below the scratch folder
    bool byPrompt;          // renamed by OnPromptForOverwrite, else by OnStartUnZip
    bool written;
  } cases[] = {
      {"to a file that exists, mode Never", TUZOverwriteMode::Never, "taken.txt", false, false},
      {"away from the file that exists, mode Never", TUZOverwriteMode::Never, "new/free.txt", false, true},
      {"by the prompt, away from the file that exists", TUZOverwriteMode::Prompt, "new/prompted.txt", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchDir dir;
    ASSERT_TRUE(sys::ForceDirectories(dir / "out/a/b"));
    test::WriteFile(dir / "out/a/b/c.txt", old);
    test::WriteFile(dir / "taken.txt", old);
    const std::string renamed = dir / c.renamedTo;
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "out");
    r.engine.OverwriteMode = c.mode;
    const auto rename = [&](int index, std::string& name) {
      if (r.engine.Entry(index).fileName == "c.txt") name = renamed;
    };
    if (c.byPrompt) {
      r.engine.OnPromptForOverwrite = [&](TVCLUnZip*, bool& overwrite, int index, std::string& name) {
        rename(index, name);
        overwrite = true;
      };
    } else {
      r.engine.OnStartUnZip = [&](TVCLUnZip*, int index, std::string& name, bool&) { rename(index, name); };
    }
    r.engine.ExtractEntries();
    EXPECT_EQ(test::ReadFile(dir / "out/a/b/c.txt"), old);  // the destination it was named for
    const bool ended = std::find(r.ended.begin(), r.ended.end(), renamed) != r.ended.end();
    EXPECT_EQ(ended, c.written);
    if (c.written) {
      const std::string nested = "nested three deep\r\n";  // a/b/c.txt
      EXPECT_EQ(test::ReadFile(renamed), test::Bytes(nested.begin(), nested.end()));
      EXPECT_TRUE(r.skipped.empty());
    } else {
      EXPECT_EQ(test::ReadFile(renamed), old);
      EXPECT_EQ(r.skipped, std::vector<std::string>{std::to_string(int(TSkipReason::srNoOverwrite)) + ":" + renamed});
    }
  }
}

// ifNewer and ifOlder compare the entry's date (2024-01-02) with the existing file's.
TEST(ExtractEntries, OverwriteIfNewerOrOlderComparesTheDates) {
  const test::Bytes old{'o', 'l', 'd'};
  const std::time_t in2020 = 1590969600, in2028 = 1843430400;  // 2020-06-01 and 2028-06-01
  struct Case {
    TUZOverwriteMode mode;
    std::time_t existing;
    bool overwritten;
  } cases[] = {
      {TUZOverwriteMode::ifNewer, in2020, true},
      {TUZOverwriteMode::ifNewer, in2028, false},
      {TUZOverwriteMode::ifOlder, in2020, false},
      {TUZOverwriteMode::ifOlder, in2028, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(int(c.mode)) + " " + std::to_string(c.existing));
    test::ScratchDir dir;
    ASSERT_TRUE(sys::ForceDirectories(dir / "out/a/b"));
    const std::string existing = dir / "out/a/b/c.txt";
    test::WriteFile(existing, old);
    const struct timespec times[2] = {{c.existing, 0}, {c.existing, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, existing.c_str(), times, 0), 0);
    Recorder r(ZipFixture("infozip-stored.zip"), dir / "out");
    r.engine.OverwriteMode = c.mode;
    r.engine.ExtractEntries();
    EXPECT_EQ(test::ReadFile(existing) != old, c.overwritten);
    EXPECT_EQ(r.skipped.size(), c.overwritten ? 0u : 1u);
  }
}

TEST(ExtractEntries, DamagedEntries) {
  test::ScratchDir dir;
  {
    Recorder r(ZipFixture("crc-mismatch.zip"), dir / "crc");
    const int extracted = r.engine.ExtractEntries();
    EXPECT_EQ(r.badCrc, std::vector<std::string>{"damaged.txt"});
    EXPECT_FALSE(test::FileExists(dir / "crc/damaged.txt"));
    EXPECT_TRUE(test::FileExists(dir / "crc/intact.txt"));
    EXPECT_EQ(extracted, 1);
  }
  {
    // The output would pass the uncompressed size: the entry fails, the run goes on.
    Recorder r(ZipFixture("stored-longer.zip"), dir / "longer");
    r.engine.ExtractEntries();
    EXPECT_FALSE(test::FileExists(dir / "longer/longer.bin"));
    EXPECT_TRUE(test::FileExists(dir / "longer/after.txt"));
  }
  {
    Recorder r(ZipFixture("truncated-entry.zip"), dir / "cut");
    try {
      r.engine.ExtractEntries();
      FAIL() << "no exception";
    } catch (const EFatalUnzipError& e) {
      EXPECT_STREQ(e.what(), "Premature end of file reached");
    }
    EXPECT_EQ(r.completeCount, 1);
    EXPECT_EQ(test::ReadFile(dir / "cut/last.bin").size(), 65536u);  // left at its pre-set size
  }
  {
    Recorder r(ZipFixture("corrupt-deflate.zip"), dir / "inflate");
    EXPECT_THROW(r.engine.ExtractEntries(), EZCompressionError);
  }
}

// OnBadCRC gets the CRC of the bytes really written and the stored one, both as signed 32-bit
// values, as an independent CRC of the damaged entry's data in the archive says.
TEST(ExtractEntries, BadCrcReportsTheComputedAndTheStoredValue) {
  const test::Bytes zip = test::ReadFile(ZipFixture("crc-mismatch.zip"));
  // damaged.txt is the first entry, stored: its data follows its local header at offset 0.
  const size_t data = 30 + ReadLE16(&zip[26]) + ReadLE16(&zip[28]);
  const uint32_t computed = uint32_t(crc32(0, &zip[data], uInt(ReadLE32(&zip[18]))));
  const uint32_t stored = ReadLE32(&zip[14]);
  ASSERT_NE(computed, stored);
  test::ScratchDir dir;
  Recorder r(ZipFixture("crc-mismatch.zip"), dir / "out");
  std::vector<std::pair<int32_t, int32_t>> reported;
  r.engine.OnBadCRC = [&](TVCLUnZip*, int32_t calc, int32_t storedCrc, int index) {
    EXPECT_EQ(index, 0);
    reported.emplace_back(calc, storedCrc);
  };
  r.engine.ExtractEntries();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], std::make_pair(int32_t(computed), int32_t(stored)));
  EXPECT_LT(reported[0].second, 0);  // this entry's CRC has its top bit set: it arrives negative
}

TEST(ExtractEntries, NamesWithParentComponentsNeverLeaveDestDir) {
  test::ScratchDir dir;
  Recorder r(ZipFixture("dotdot.zip"), dir / "inside/out");
  const int extracted = r.engine.ExtractEntries();
  EXPECT_EQ(extracted, 1);
  EXPECT_TRUE(test::FileExists(dir / "inside/out/good.txt"));
  EXPECT_EQ(r.skipped.size(), 3u);
  for (const char* outside : {"inside/evil.txt", "evil2.txt", "inside/evil2.txt", "inside/evil3.txt", "evil.txt"}) {
    EXPECT_FALSE(test::FileExists(dir / outside)) << outside;
  }
}

TEST(PathBelowDestDir, DropsPrefixesAndRefusesNamesWindowsWouldNotKeep) {
  const std::optional<std::string> refused;
  struct Case {
    std::string stored;
    std::optional<std::string> below;
  } cases[] = {
      // Plain names, "/" as "\", empty and "." components dropped, a folder keeps its "\".
      {"a\\b.txt", "a\\b.txt"}, {"a/b/", "a\\b\\"}, {"", ""}, {"./x", "x"}, {"a//./b", "a\\b"}, {"./", ""},
      {"a\\.", refused}, {" lead", " lead"}, {"..x", "..x"}, {"console.txt", "console.txt"},
      {"com10", "com10"}, {"lpt", "lpt"}, {"COM.txt", "COM.txt"}, {"auxiliary\\nullx", "auxiliary\\nullx"},
      // Root, drive and device-namespace prefixes are dropped; a UNC server and share stay as folders.
      {"\\x.txt", "x.txt"}, {"/x.txt", "x.txt"}, {"\\\\\\x", "x"}, {"C:x.txt", "x.txt"}, {"c:/d/x", "d\\x"},
      {"C:\\\\x", "x"}, {"\\\\server\\share\\x.txt", "server\\share\\x.txt"},
      {"//server/share/d/x.txt", "server\\share\\d\\x.txt"}, {"\\\\server\\", "server\\"},
      {"\\\\server\\share", "server\\share"}, {"\\\\?\\C:\\x.txt", "x.txt"}, {"//./c:/x", "x"},
      {"\\\\?\\UNC\\server\\share\\x", "server\\share\\x"}, {"\\\\?\\unc\\s\\h\\x", "s\\h\\x"},
      // ... but a name that is all prefix names no file, and a drive further in is a bad character.
      {"C:", refused}, {"\\\\?\\C:", refused}, {"\\\\.\\NUL", refused}, {"\\C:\\x", refused},
      // Parent components.
      {"..\\x", refused}, {"a/../../x", refused}, {"a\\..", refused}, {"../", refused}, {"...", refused},
      // Device names, with any extension, in any component, in any case.
      {"CON", refused}, {"con", refused}, {"nul.txt", refused}, {"NUL.tar.gz", refused}, {"Com1", refused},
      {"lpt9.log", refused}, {"COM0", refused}, {"a\\aux\\b.txt", refused}, {"prn\\", refused},
      {"CONIN$", refused}, {"conout$.txt", refused}, {"nul .txt", refused},
      // Trailing dots and spaces.
      {"a.", refused}, {"b ", refused}, {"dir.\\x", refused}, {"dir /x", refused},
      // Characters Windows refuses; ":" would open an alternate data stream.
      {"ab:c", refused}, {"q?.txt", refused}, {"s*", refused}, {"l<", refused}, {"g>", refused},
      {"p|", refused}, {"quo\"te", refused}, {"tab\t", refused}, {std::string("nul\0byte", 8), refused},
      // Code page 936: 81 5C is one character (乗), its trail byte no separator, and the same goes
      // for a trail byte "|"; a component ending in ".." after such a character is still refused.
      {"\xCE\xC4\xB5\xB5\\\x81\\.txt", "\xCE\xC4\xB5\xB5\\\x81\\.txt"}, {"\x81|", "\x81|"},
      {"\x81\\..", refused}, {"\xA1\\..\\..\\x", refused},
  };
  for (const Case& c : cases) EXPECT_EQ(PathBelowDestDir(c.stored), c.below) << c.stored;
}

// Where the file layer tells case apart, a later name that differs only in case takes the first
// spelling; where it folds case itself, every name stays as formed.
TEST(PathBelowDestDir, LaterNamesDifferingOnlyInCaseTakeTheFirstSpelling) {
  for (bool layerFoldsCase : {false, true}) {
    SCOPED_TRACE(layerFoldsCase);
    TMadeNames made(layerFoldsCase);
    made.Remember("Dir\\Case.txt");
    made.Remember("Empty\\");
    made.Remember("\x81\x41.txt");  // a two-byte character whose trail byte is "A"
    struct Case {
      std::string relative, respelled;
    } cases[] = {
        {"dir\\CASE.TXT", "Dir\\Case.txt"}, {"DIR\\other.txt", "Dir\\other.txt"}, {"empty\\x\\", "Empty\\x\\"},
        {"dir\\case.txt\\below", "Dir\\Case.txt\\below"}, {"new\\Case.txt", "new\\Case.txt"},
        {"\x81\x61.txt", "\x81\x61.txt"},  // another character, not another case
        {"\x81\x41.TXT", "\x81\x41.txt"},
    };
    for (const Case& c : cases) {
      std::string relative = c.relative;
      made.Respell(relative);
      EXPECT_EQ(relative, layerFoldsCase ? c.relative : c.respelled) << c.relative;
    }
  }
}

// hostile-names.zip: 0-6 carry a root, drive, UNC or device-namespace prefix, 7-18 are refused
// (18 is the folder entry ../up/), 19 Case.txt and 20 case.TXT, 21 kept.txt; entry k holds
// "entry k\r\n".
test::Bytes HostileContent(int k) {
  const std::string text = "entry " + std::to_string(k) + "\r\n";
  return test::Bytes(text.begin(), text.end());
}

// Every file and folder below `root`, by its path relative to it.
std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> paths;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    paths.insert(std::filesystem::relative(e.path(), root).string());
  }
  return paths;
}

TEST(ExtractEntries, HostileNamesNeverLeaveDestDir) {
  for (TUZOverwriteMode mode : {TUZOverwriteMode::Always, TUZOverwriteMode::Never}) {
    SCOPED_TRACE(int(mode));
    test::ScratchDir dir;
    Recorder r(ZipFixture("hostile-names.zip"), dir / "parent/dest");
    r.engine.OverwriteMode = mode;
    std::vector<std::pair<int, TSkipReason>> skips;
    r.engine.OnSkippingFile = [&](TVCLUnZip*, TSkipReason reason, const std::string&, int index, bool&) {
      skips.emplace_back(index, reason);
    };
    const int extracted = r.engine.ExtractEntries();

    std::vector<std::pair<int, TSkipReason>> expected;
    for (int k = 7; k <= 18; ++k) expected.emplace_back(k, TSkipReason::srCreateError);
    if (mode == TUZOverwriteMode::Never) expected.emplace_back(20, TSkipReason::srNoOverwrite);
    EXPECT_EQ(skips, expected);
    EXPECT_EQ(extracted, mode == TUZOverwriteMode::Always ? 10 : 9);

    std::vector<std::string> outside;
    for (const auto& e : std::filesystem::directory_iterator(dir / "parent")) outside.push_back(e.path().filename());
    EXPECT_EQ(outside, std::vector<std::string>{"dest"});
    EXPECT_EQ(Tree(dir / "parent/dest"),
              (std::set<std::string>{"root.txt", "back.txt", "rel.txt", "abs.txt", "server", "server/share",
                                     "server/share/unc.txt", "server/share/unc2.txt", "long.txt", "Case.txt",
                                     "kept.txt"}));
    EXPECT_EQ(test::ReadFile(dir / "parent/dest/server/share/unc.txt"), HostileContent(4));
    // case.TXT is Case.txt again, as on Windows: replaced or kept by the overwrite rule.
    EXPECT_EQ(test::ReadFile(dir / "parent/dest/Case.txt"), HostileContent(mode == TUZOverwriteMode::Always ? 20 : 19));
  }
}

TEST(ExtractEntries, FlatRunPutsEveryFileInDestDir) {
  test::ScratchDir dir;
  Recorder r(ZipFixture("infozip-stored.zip"), dir / "flat");
  r.engine.RecreateDirs = false;
  r.engine.ExtractEntries();
  EXPECT_TRUE(test::FileExists(dir / "flat/c.txt"));
  EXPECT_FALSE(sys::DirectoryExists(dir / "flat/a"));
}

// A flat run writes each file under its own name straight into DestDir, and only that name is
// checked: the folders it leaves out neither refuse an entry nor lead it elsewhere.
TEST(ExtractEntries, FlatRunChecksOnlyTheNameItWrites) {
  const auto entry = [](int k) { return "entry " + std::to_string(k) + "\r\n"; };
  struct Case {
    const char* archive;
    std::vector<int> refused;
    std::map<std::string, std::string> written;  // name: content
  } cases[] = {
      {"dotdot.zip",
       {},
       {{"evil.txt", "outside 1\r\n"}, {"evil2.txt", "outside 2\r\n"}, {"evil3.txt", "outside 3\r\n"},
        {"good.txt", "inside\r\n"}}},
      // Refused: CON, nul.txt, Aux.tar.gz, LPT9, prn, a., "b ", ads:stream.txt and q?.txt. dev/COM1/x.txt
      // and then dot./x.txt become x.txt; the folder entry ../up/ is not selected.
      {"hostile-names.zip",
       {7, 8, 9, 11, 12, 13, 14, 16, 17},
       {{"root.txt", entry(0)}, {"back.txt", entry(1)}, {"rel.txt", entry(2)}, {"abs.txt", entry(3)},
        {"unc.txt", entry(4)}, {"unc2.txt", entry(5)}, {"long.txt", entry(6)}, {"x.txt", entry(15)},
        {"Case.txt", entry(20)}, {"kept.txt", entry(21)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    test::ScratchDir dir;
    Recorder r(ZipFixture(c.archive), dir / "parent/flat");
    r.engine.RecreateDirs = false;
    std::vector<int> refused;
    r.engine.OnSkippingFile = [&](TVCLUnZip*, TSkipReason reason, const std::string&, int index, bool&) {
      EXPECT_EQ(reason, TSkipReason::srCreateError);
      refused.push_back(index);
    };
    r.engine.ExtractEntries();
    EXPECT_EQ(refused, c.refused);
    std::vector<std::string> outside;
    for (const auto& e : std::filesystem::directory_iterator(dir / "parent")) outside.push_back(e.path().filename());
    EXPECT_EQ(outside, std::vector<std::string>{"flat"});
    std::map<std::string, std::string> written;
    for (const std::string& name : Tree(dir / "parent/flat")) {
      const test::Bytes data = test::ReadFile(dir / "parent/flat/" + name);
      written[name] = std::string(data.begin(), data.end());
    }
    EXPECT_EQ(written, c.written);
  }
}

// The property of the file layer decides: where the file system folds case itself (Windows), the
// engine hands case.TXT on as it formed it; where it does not (the host's own layer), the engine
// respells it as the Case.txt it made first. Both run here on the host's case-keeping file system.
TEST(ExtractEntries, CaseIsFoldedByTheFileLayerOrByTheRun) {
  struct Layer : TZipServices {
    bool folds = false;
    bool FileNamesFoldCase() override { return folds; }
  };
  for (bool folds : {false, true}) {
    SCOPED_TRACE(folds);
    test::ScratchDir dir;
    Layer layer;
    layer.folds = folds;
    TVCLUnZip engine(layer);
    engine.SetZipName(ZipFixture("hostile-names.zip"));
    engine.SetDestDir(dir / "dest");
    engine.DoAll = true;
    engine.RecreateDirs = true;
    engine.OverwriteMode = TUZOverwriteMode::Always;
    std::string formed;
    engine.OnStartUnZip = [&](TVCLUnZip*, int index, std::string& name, bool&) {
      if (index == 20) formed = name;
    };
    engine.ExtractEntries();
    EXPECT_EQ(formed, dir / "dest" + (folds ? "\\case.TXT" : "\\Case.txt"));
    EXPECT_EQ(test::FileExists(dir / "dest/case.TXT"), folds);
    EXPECT_EQ(test::ReadFile(dir / "dest/Case.txt"), HostileContent(folds ? 19 : 20));
  }
  EXPECT_FALSE(SystemZipServices().FileNamesFoldCase());  // the host's layer keeps case apart
}

TEST(Percent, RoundsToNearestWithTiesToEven) {
  struct Case {
    int64_t done, total;
    int percent;
  } cases[] = {{0, 0, 0}, {5, -1, 0}, {1, 200, 0}, {3, 200, 2}, {5, 200, 2}, {7, 200, 4},
               {199, 200, 100}, {250, 200, 100}, {2, 3, 67}};
  for (const Case& c : cases) EXPECT_EQ(Percent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

// Stored one-byte entries whose central records claim `sizes` through zip64 extra fields.
test::Bytes ArchiveClaimingSizes(const std::vector<uint64_t>& sizes) {
  test::Bytes local, central;
  auto put = [](test::Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
  };
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::string name = "f" + std::to_string(i);
    const size_t offset = local.size();
    // signature, versions, flags, method, time and date, CRC, sizes, name and extra lengths
    for (auto [value, bytes] : {std::pair<uint64_t, int>{0x04034b50, 4}, {45, 2}, {0, 2}, {0, 2}, {0, 4}, {0, 4},
                                {1, 4}, {1, 4}, {name.size(), 2}, {0, 2}}) {
      put(local, value, bytes);
    }
    local.insert(local.end(), name.begin(), name.end());
    local.push_back('x');
    for (auto [value, bytes] : {std::pair<uint64_t, int>{0x02014b50, 4}, {45, 2}, {45, 2}, {0, 2}, {0, 2}, {0, 4},
                                {0, 4}, {1, 4}, {0xFFFFFFFF, 4}, {name.size(), 2}, {12, 2}, {0, 2}, {0, 2}, {0, 2},
                                {0, 4}, {offset, 4}}) {
      put(central, value, bytes);
    }
    central.insert(central.end(), name.begin(), name.end());
    put(central, 1, 2);  // zip64 extra field: the uncompressed size
    put(central, 8, 2);
    put(central, sizes[i], 8);
  }
  test::Bytes zip = local;
  zip.insert(zip.end(), central.begin(), central.end());
  for (auto [value, bytes] : {std::pair<uint64_t, int>{0x06054b50, 4}, {0, 2}, {0, 2}, {sizes.size(), 2},
                              {sizes.size(), 2}, {central.size(), 4}, {local.size(), 4}, {0, 2}}) {
    put(zip, value, bytes);
  }
  return zip;
}

// The run's total adds up the recorded sizes; claims whose sum does not fit in 64 bits stop it at
// the largest value instead of wrapping round to a negative total.
TEST(ExtractEntries, TotalOfRecordedSizesStaysInRange) {
  constexpr int64_t kMax = INT64_MAX;
  struct Case {
    std::vector<uint64_t> sizes;
    int64_t total;
  } cases[] = {
      {{0x1000, 0x2000}, 0x3000},
      {{0x6060000000000000, 0x6060000000000000}, kMax},
      {{UINT64_MAX, 5}, kMax},
      {{5, UINT64_MAX}, kMax},
  };
  test::ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    test::WriteFile(dir / "claims.zip", ArchiveClaimingSizes(c.sizes));
    Recorder r(dir / "claims.zip", dir / "out");
    int64_t reported = -1;
    r.engine.OnStartUnZipInfo = [&](TVCLUnZip*, int count, int64_t total, bool& stop) {
      EXPECT_EQ(count, int(c.sizes.size()));
      reported = total;
      stop = true;
    };
    r.engine.ExtractEntries();
    EXPECT_EQ(reported, c.total);
  }
}

}  // namespace
}  // namespace velmora::zip

namespace velmora::zip {
namespace {

std::string CryptoFixture(const std::string& name) { return std::string(VELMORA_CRYPTO_FIXTURE_DIR) + "/" + name; }

// A password that fails the check of every entry. A wrong password gets past the traditional
// one-byte check once in 256 tries (and past AES's two-byte verifier once in 65,536), and the
// fixtures' encryption headers are new on every build, so the tests choose one that is known to fail.
std::string FailingPassword(const std::string& archive) {
  const test::Bytes zip = test::ReadFile(archive);
  TVCLUnZip probe;
  probe.SetZipName(archive);
  probe.ReadCatalogue();
  for (int attempt = 0;; ++attempt) {
    const std::string candidate = attempt == 0 ? std::string() : "wrong" + std::to_string(attempt);
    bool failsEverywhere = true;
    for (int i = 0; i < probe.Count() && failsEverywhere; ++i) {
      const TZipHeaderInfo& e = probe.Entry(i);
      if (!e.Encrypted()) continue;
      const size_t local = size_t(e.LocalHeaderOffset64());
      const uint8_t* data = &zip[local + 30 + ReadLE16(&zip[local + 26]) + ReadLE16(&zip[local + 28])];
      if (e.encryptionStrength != 0) {
        TAesDecryptor aes;
        const size_t salt = TAesDecryptor::SaltSize(e.encryptionStrength);
        failsEverywhere = !aes.Init(candidate, e.encryptionStrength, data, data + salt);
      } else {
        uint8_t header[kTraditionalHeaderSize];
        std::copy(data, data + kTraditionalHeaderSize, header);
        const uint8_t check = (e.flag & 0x0008) ? uint8_t(e.dateTime >> 8) : uint8_t(e.crc32 >> 24);
        failsEverywhere = !TTraditionalDecryptor(candidate).CheckHeader(header, check);
      }
    }
    if (failsEverywhere) return candidate;
  }
}

TEST(ExtractEncrypted, PasswordRightWrongAndSuppliedOnTheSecondTry) {
  for (const char* archive : {"infozip-deflate.zip", "7zz-zipcrypto.zip", "7zz-aes256-stored.zip", "7zz-aes128-deflate.zip"}) {
    SCOPED_TRACE(archive);
    test::ScratchDir dir;
    {
      Recorder r(CryptoFixture(archive), dir / "right");
      r.engine.Password = "secret";
      const int extracted = r.engine.ExtractEntries();
      EXPECT_EQ(extracted, r.engine.Count());
      EXPECT_EQ(test::ReadFile(dir / "right/tiny.bin"), test::ReadFile(CryptoFixture("plain/tiny.bin")));
    }
    const std::string wrong = FailingPassword(CryptoFixture(archive));
    {
      // A wrong (usually no) password and no handler: every entry is given up before its file is
      // created.
      Recorder r(CryptoFixture(archive), dir / "none");
      r.engine.Password = wrong;
      EXPECT_EQ(r.engine.ExtractEntries(), 0);
      ASSERT_EQ(r.skipped.size(), size_t(r.engine.Count()));
      EXPECT_EQ(r.skipped[0].rfind(std::to_string(int(TSkipReason::srBadPassword)) + ":", 0), 0u);
      EXPECT_EQ(test::EntriesUnder(dir / "none", /*filesOnly=*/true), 0u);
    }
    {
      Recorder r(CryptoFixture(archive), dir / "asked");
      r.engine.Password = wrong;
      int asked = 0;
      r.engine.OnBadPassword = [&](TVCLUnZip*, int, std::string& password) {
        ++asked;
        password = "secret";
      };
      const int extracted = r.engine.ExtractEntries();
      EXPECT_EQ(extracted, r.engine.Count());
      EXPECT_EQ(asked, 1);  // the new password stays for the later entries
      EXPECT_EQ(r.engine.Password, "secret");
    }
  }
}

// A wrong password that gets past the one-byte check of a deflated entry turns its data into noise,
// which the inflater refuses. That is still a wrong password: the entry is given up (or the handler
// asked), never the whole run.
TEST(ExtractEncrypted, WrongPasswordPastTheHeaderCheckFailsOnlyItsEntry) {
  const std::string archive = CryptoFixture("infozip-deflate.zip");
  const test::Bytes zip = test::ReadFile(archive);
  TVCLUnZip probe;
  probe.SetZipName(archive);
  probe.ReadCatalogue();
  int target = -1;
  for (int i = 0; i < probe.Count() && target < 0; ++i) {
    if (probe.Entry(i).compressionMethod == 8 && probe.Entry(i).compressedSize > 100) target = i;
  }
  ASSERT_GE(target, 0);
  const TZipHeaderInfo& e = probe.Entry(target);
  const size_t local = size_t(e.LocalHeaderOffset64());
  const uint8_t* header = &zip[local + 30 + ReadLE16(&zip[local + 26]) + ReadLE16(&zip[local + 28])];
  const uint8_t check = (e.flag & 0x0008) ? uint8_t(e.dateTime >> 8) : uint8_t(e.crc32 >> 24);
  std::string wrong;
  for (int attempt = 1; wrong.empty(); ++attempt) {
    const std::string candidate = "wrong" + std::to_string(attempt);
    uint8_t h[kTraditionalHeaderSize];
    std::copy(header, header + kTraditionalHeaderSize, h);
    if (TTraditionalDecryptor(candidate).CheckHeader(h, check)) wrong = candidate;
  }
  SCOPED_TRACE(wrong + " passes the check of " + e.StoredPath());

  test::ScratchDir dir;
  {
    Recorder r(archive, dir / "wrong");
    r.engine.Password = wrong;
    EXPECT_NO_THROW(r.engine.ExtractEntries());
    EXPECT_EQ(r.completeCount, static_cast<int>(r.ended.size()));
    EXPECT_NE(std::find(r.skipped.begin(), r.skipped.end(),
                        std::to_string(int(TSkipReason::srBadPassword)) + ":" + e.StoredPath()),
              r.skipped.end());
    EXPECT_FALSE(std::filesystem::exists(dir / ("wrong/" + e.StoredPath())));
  }
  {
    Recorder r(archive, dir / "asked");
    r.engine.Password = wrong;
    r.engine.OnBadPassword = [](TVCLUnZip*, int, std::string& password) { password = "secret"; };
    const int extracted = r.engine.ExtractEntries();
    EXPECT_EQ(extracted, r.engine.Count());
    EXPECT_EQ(test::ReadFile(dir / ("asked/" + e.StoredPath())), test::ReadFile(CryptoFixture("plain/" + e.StoredPath())));
  }
}

// Plain entries that a second run of the writer added after encrypted ones: each is judged on its
// own, whatever cipher the entry before it used.
TEST(ExtractEncrypted, PlainEntriesAfterEncryptedOnesExtract) {
  for (const char* archive : {"7zz-aes-then-plain.zip", "infozip-traditional-then-plain.zip"}) {
    SCOPED_TRACE(archive);
    test::ScratchDir dir;
    Recorder r(CryptoFixture(archive), dir / "out");
    r.engine.Password = "secret";
    const int extracted = r.engine.ExtractEntries();
    EXPECT_EQ(extracted, r.engine.Count());
    EXPECT_TRUE(r.badCrc.empty());
    EXPECT_TRUE(r.skipped.empty());
    for (const char* path : {"data.bin", "docs/notes.txt", "empty.txt", "readme.txt", "tiny.bin"}) {
      EXPECT_EQ(test::ReadFile(dir / "out/" + path), test::ReadFile(CryptoFixture("plain/") + path)) << path;
    }
  }
}

// Method 99 alone makes an entry encrypted: the AES archive with flag bit 0 cleared in every local
// (+6) and central (+8) header still needs its password, and still opens with it.
TEST(ExtractEncrypted, MethodAesWithoutTheEncryptedFlagIsStillEncrypted) {
  const std::string original = CryptoFixture("7zz-aes256-stored.zip");
  test::Bytes zip = test::ReadFile(original);
  TVCLUnZip probe;
  probe.SetZipName(original);
  probe.ReadCatalogue();
  for (int i = 0; i < probe.Count(); ++i) {
    zip[size_t(probe.Entry(i).LocalHeaderOffset64()) + 6] &= 0xFE;
    zip[size_t(probe.Entry(i).centralOffset) + 8] &= 0xFE;
  }
  test::ScratchDir dir;
  test::WriteFile(dir / "unflagged.zip", zip);
  for (const std::string password : {"", "secret"}) {
    SCOPED_TRACE(password);
    Recorder r(dir / "unflagged.zip", dir / ("out-" + password));
    r.engine.Password = password;
    const int extracted = r.engine.ExtractEntries();
    if (password.empty()) {
      EXPECT_EQ(extracted, 0);
      EXPECT_EQ(r.skipped.size(), size_t(r.engine.Count()));
      EXPECT_EQ(test::EntriesUnder(dir / "out-", /*filesOnly=*/true), 0u);
    } else {
      EXPECT_EQ(extracted, r.engine.Count());
      EXPECT_EQ(test::ReadFile(dir / "out-secret/data.bin"), test::ReadFile(CryptoFixture("plain/data.bin")));
    }
  }
}

TEST(ExtractEncrypted, AesEntryWithDamagedDataFailsItsAuthentication) {
  // 7-Zip writes AE-2: a CRC of 0, so only the authentication code can catch the damage.
  test::ScratchDir dir;
  test::Bytes zip = test::ReadFile(CryptoFixture("7zz-aes256-stored.zip"));
  TVCLUnZip probe;
  probe.SetZipName(CryptoFixture("7zz-aes256-stored.zip"));
  probe.ReadCatalogue();
  int big = -1;
  for (int i = 0; i < probe.Count(); ++i) {
    if (probe.Entry(i).uncompressedSize > 1000) big = i;
  }
  ASSERT_GE(big, 0);
  const TZipHeaderInfo& e = probe.Entry(big);
  const size_t local = size_t(e.LocalHeaderOffset64());
  const size_t data = local + 30 + ReadLE16(&zip[local + 26]) + ReadLE16(&zip[local + 28]);
  zip[data + 16 + 2 + 500] ^= 0x01;  // past the 16-byte salt and the verifier
  test::WriteFile(dir / "damaged.zip", zip);

  Recorder r(dir / "damaged.zip", dir / "out");
  r.engine.Password = "secret";
  const int extracted = r.engine.ExtractEntries();
  EXPECT_EQ(extracted, r.engine.Count() - 1);
  EXPECT_EQ(test::EntriesUnder(dir / "out"), size_t(r.ended.size()) + 1);  // the files and docs/, not the damaged one
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_EQ(r.skipped[0], std::to_string(int(TSkipReason::srBadPassword)) + ":" + e.StoredPath());
}

}  // namespace
}  // namespace velmora::zip
