// The install log, its file and its reading by the rollback; the session's helpers.
#include "app/InstallLog.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/SetupSession.h"

namespace velmora::app {
namespace {

TEST(TInstallLog, SavesEveryLineWithCrLfAndReplacesTheFile) {
  test::ScratchDir dir;
  TInstallLog log;
  log.Save(dir / "install.log");
  EXPECT_TRUE(test::ReadFile(dir / "install.log").empty());

  log.Append("File=C:\\Program Files\\Velmora\\DeskClient.exe");
  log.Append("Dir=C:\\Start\\Velmora\\");
  log.Save(dir / "install.log");
  const std::string text = "File=C:\\Program Files\\Velmora\\DeskClient.exe\r\nDir=C:\\Start\\Velmora\\\r\n";
  EXPECT_EQ(test::ReadFile(dir / "install.log"), test::Bytes(text.begin(), text.end()));

  log.Clear();
  log.Append("File=x");
  log.Save(dir / "install.log");
  EXPECT_EQ(test::ReadFile(dir / "install.log").size(), 8u);
  EXPECT_THROW(log.Save(dir / "no-such-folder/install.log"), EInstallLogError);
}

TEST(ReadLogLine, TheRollbacksReadingRules) {
  struct Case {
    const char* line;
    bool read;
    TLogItem::Kind kind;
    const char* path;
  } cases[] = {
      {"  File=C:\\x\\a=b.txt ", true, TLogItem::Kind::kFile, "C:\\x\\a=b.txt"},
      {"\tFile= C:\\x\\a.txt\r", true, TLogItem::Kind::kFile, "C:\\x\\a.txt"},
      {"Directory=C:\\x", true, TLogItem::Kind::kFolder, "C:\\x"},  // only three characters count
      {"Dir=C:\\Start\\Velmora\\", true, TLogItem::Kind::kFolder, "C:\\Start\\Velmora\\"},
      {"FileC:\\x", true, TLogItem::Kind::kFile, "FileC:\\x"},  // no "=": the whole line
      {"file=C:\\x\\a.txt", false, TLogItem::Kind::kFile, ""},
      {"Path=C:\\x", false, TLogItem::Kind::kFile, ""},
      {"", false, TLogItem::Kind::kFile, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto item = ReadLogLine(c.line);
    ASSERT_EQ(item.has_value(), c.read);
    if (!c.read) continue;
    EXPECT_EQ(item->kind, c.kind);
    EXPECT_EQ(item->path, c.path);
  }
}

TEST(SetupSession, TemporaryNamesFoldersAndMessageFlags) {
  const std::string temp = "C:\\Users\\u\\AppData\\Local\\Temp\\";
  EXPECT_EQ(ChangeFileExt(temp + kPayloadTempName + "~", kPayloadCopyExtension), temp + kPayloadTempName);
  EXPECT_EQ(ChangeFileExt(temp + kPayloadTempName, kPayloadCopyExtension), temp + kPayloadTempName);
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\file", ".x"), "C:\\a.b\\file.x");
  EXPECT_EQ(WithTrailingBackslash("C:\\Program Files\\Velmora"), "C:\\Program Files\\Velmora\\");
  EXPECT_EQ(WithTrailingBackslash("D:\\"), "D:\\");
  EXPECT_EQ(WithTrailingBackslash("D:\\\x81\x5c"), "D:\\\x81\x5c\\");  // a trail byte is no backslash

  const std::pair<int, uint32_t> flags[] = {{-1, 0x40010}, {0, 0x40040}, {1, 0x40010}, {2, 0x40021},
                                            {3, 0x40223},  {4, 0x40121}, {5, 0x40124}, {6, 0x40024}};
  for (const auto& [kind, value] : flags) EXPECT_EQ(SetupMessageFlags(kind), value) << kind;
  EXPECT_FALSE(SetupMessageFlags(7).has_value());
  EXPECT_FALSE(SetupMessageFlags(-2).has_value());
}

}  // namespace
}  // namespace velmora::app
