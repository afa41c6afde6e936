// The install sequence, the close query with its rollback, and the finish actions, run natively on
// real files in a scratch folder with the registry, shell and message boxes of the test double.
#include "app/SetupWizard.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "DiskFaults.h"
#include "FakePlatform.h"
#include "TestSupport.h"
#include "app/ProductContract.h"

namespace velmora::app {
namespace {

using platform::kIdCancel;
using platform::kIdNo;
using platform::kIdRetry;
using platform::kIdYes;

// A wizard whose folders lie in a scratch folder, written with backslashes as on Windows.
struct Installer {
  test::ScratchDir dir;
  std::string root = dir / "";
  test::FakePlatform platform;
  test::FakeHost host;
  TSetupWizard wizard{platform, host};
  TWindowModel& window = wizard.Window();
  SetupSession& session = wizard.Session();

  explicit Installer(const char* setup) {
    root.pop_back();
    platform.UseFoldersBelow(root);
    host.executable = std::string(VELMORA_FIXTURE_DIR) + "/" + setup;
    wizard.FormCreate();
  }
  std::string Installed(const std::string& name) const { return root + "\\Program Files\\Velmora\\" + name; }
  bool Called(const std::string& call) const {
    return std::find(platform.calls.begin(), platform.calls.end(), call) != platform.calls.end();
  }
  bool HasRegistry(const std::string& path) const { return platform.registry.count(path) != 0; }
};

const std::string kAppPath = std::string("HKCU\\") + kAppKey + "\\" + kAppPathValue;
const std::string kUninstallString = std::string("HKLM\\") + kUninstallKey + "\\" + kUninstallStringValue;

TEST(InstallSequence, InstallsLogsRegistersAndEndsOnTheFinishPage) {
  Installer i("setup-ok.exe");
  EXPECT_EQ(i.window.Control(ControlId::edtSetupPath).text, i.root + "\\Program Files\\Velmora\\");
  i.wizard.ShowPage(3);
  i.wizard.Click(ControlId::RzBmpButton8);

  EXPECT_EQ(i.window.currentPage, 5);
  EXPECT_TRUE(i.session.Installing);
  EXPECT_EQ(i.window.Control(ControlId::lbInfo).text, "文件安装成功");
  EXPECT_EQ(i.window.Control(ControlId::imgbar).width, 466);
  for (const char* file : {"DeskClient.exe", "Remover.exe", "midas.dll", "docs\\readme.txt"}) {
    EXPECT_TRUE(sys::FileExists(i.Installed(file))) << file;
  }
  // The log: one File= line per entry, saved with CR LF.
  const test::Bytes log = test::ReadFile(sys::NativePath(i.Installed("install.log")));
  const std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("File=" + i.Installed("docs\\readme.txt") + "\r\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);

  EXPECT_TRUE(sys::FileExists(i.platform.systemFolder + "midas.dll"));
  EXPECT_TRUE(i.Called("ExecuteShell(1001,open," + i.platform.systemFolder + "regsvr32.exe,/s \"" +
                       i.platform.systemFolder + "midas.dll\",,0)"));
  EXPECT_TRUE(i.Called("WriteIniString(" + i.Installed("Station.ini") + "|UserData|path=" + i.Installed("") + ")"));
  EXPECT_EQ(i.platform.registry[kAppPath], i.Installed(""));
  EXPECT_EQ(i.platform.registry[kUninstallString], i.Installed("Remover.exe"));
  EXPECT_EQ(i.platform.registry[std::string("HKLM\\") + kUninstallKey + "\\NoRepair"], "1");
  // The payload copy and the archive are gone.
  EXPECT_FALSE(sys::FileExists(i.session.PayloadTempFile));
  EXPECT_FALSE(sys::FileExists(i.platform.tempFolder + kPayloadTempName));
}

TEST(InstallSequence, StatusTextsInOrder) {
  // The host shows the status line at every refresh; keep each new text once, in order.
  struct RecordingHost : test::FakeHost {
    TWindowModel* window = nullptr;
    std::vector<std::string> texts;
    void Refresh() override {
      const std::string& text = window->Control(ControlId::lbInfo).text;
      if (texts.empty() || texts.back() != text) texts.push_back(text);
    }
  };
  test::ScratchDir dir;
  std::string root = dir / "";
  root.pop_back();
  test::FakePlatform platform;
  platform.UseFoldersBelow(root);
  RecordingHost host;
  host.executable = std::string(VELMORA_FIXTURE_DIR) + "/setup-ok.exe";
  TSetupWizard wizard(platform, host);
  host.window = &wizard.Window();
  wizard.FormCreate();
  wizard.RzBmpButton8Click();
  const std::vector<std::string> expected = {
      "正在解压缩...", "正在解压缩安装文件...", "正在复制文件...", "正在复制文件：DeskClient.exe ...",
      "正在复制文件：Remover.exe ...", "正在复制文件：midas.dll ...", "正在复制文件：Station.ini ...",
      "正在复制文件：readme.txt ...", "正在注册DLL...", "正在更新注册表...", "正在注册卸载信息...", "文件安装成功"};
  EXPECT_EQ(host.texts, expected);
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "Pause(500)"), 4);
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "Pause(10)"), 5);
}

TEST(InstallSequence, CancelOnTheFinishPageAlsoRemovesTheUninstallEntryItWrote) {
  Installer i("setup-ok.exe");
  i.wizard.ShowPage(3);
  i.wizard.Click(ControlId::RzBmpButton8);
  ASSERT_TRUE(i.HasRegistry(kUninstallString));
  i.platform.messageBoxAnswers = {kIdYes};
  i.wizard.Click(ControlId::RzBmpButton32);  // Cancel on the finish page asks the window to close
  EXPECT_EQ(i.host.closeRequests, 1);
  EXPECT_TRUE(i.wizard.FormCloseQuery());  // which asks the install-time question
  EXPECT_TRUE(i.session.Aborted);
  EXPECT_FALSE(i.HasRegistry(kUninstallString));
  EXPECT_FALSE(i.HasRegistry(kAppPath));
  EXPECT_FALSE(sys::FileExists(i.Installed("DeskClient.exe")));
}

// Wherever the core lets the message loop run, the user may click and message boxes may open over
// the window: the screen must show the model as it is then, from the progress page on.
TEST(InstallSequence, TheScreenShowsTheModelWheneverMessagesRun) {
  Installer i("setup-blocks.exe");
  i.host.window = &i.window;
  std::vector<std::string> seen;
  i.platform.onProcessMessages = [&] {
    EXPECT_EQ(i.host.screen, test::FakeHost::Screen(i.window));
    seen.push_back(i.host.screen);
  };
  i.wizard.ShowPage(3);
  i.wizard.Click(ControlId::RzBmpButton8);
  EXPECT_EQ(i.window.currentPage, 5);
  // The progress page is up before the payload is copied out, and stays for every block.
  ASSERT_GE(seen.size(), 8u);
  EXPECT_NE(seen[0].find("page 3"), std::string::npos);
  for (size_t n = 1; n < seen.size(); ++n) EXPECT_NE(seen[n].find("page 4"), std::string::npos) << seen[n];
}

// The copy into the system folder fails: the information box, then the same text as a topmost
// Retry/Cancel question. Retry copies once more whatever comes of it; Cancel goes on without.
TEST(InstallSequence, AFailedRuntimeCopyIsReportedAndRetriedOnce) {
  struct Case {
    const char* what;
    int answer;
    int refusals;
    int copies;
    bool copied;
  } cases[] = {
      {"Retry, and the second copy works", kIdRetry, 1, 2, true},
      {"Retry, and the second copy fails too", kIdRetry, 2, 2, false},
      {"Cancel", kIdCancel, 1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installer i("setup-ok.exe");
    const std::string target = i.platform.systemFolder + "midas.dll";
    int refusals = c.refusals;
    i.platform.refuseCopy = [&](const std::string& to) { return to == target && refusals-- > 0; };
    i.platform.messageBoxAnswers = {platform::kIdOk, c.answer};
    i.wizard.ShowPage(3);
    i.wizard.Click(ControlId::RzBmpButton8);
    const std::string text = "复制文件 \"" + target + "\" 失败，请关闭其他程序后重试。";
    EXPECT_EQ(i.platform.messageBoxes, (std::vector<std::string>{text + "|262208|direct", text + "|262181|direct"}));
    EXPECT_EQ(std::count(i.platform.calls.begin(), i.platform.calls.end(),
                         "CopyFileTo(" + i.Installed("midas.dll") + "," + target + ")"),
              c.copies);
    EXPECT_EQ(sys::FileExists(target), c.copied);
    EXPECT_TRUE(i.Called("WriteIniString(" + i.Installed("Station.ini") + "|UserData|path=" + i.Installed("") + ")"));
    EXPECT_EQ(i.window.currentPage, 5);
  }
}

TEST(InstallSequence, ProgressBarWidths) {
  Installer i("setup-ok.exe");
  // Only a new width is repainted: the engine repeats a percentage for every block it writes.
  struct Case {
    int percent, width;
    bool repaints;
  };
  const Case cases[] = {{0, 0, false},    {1, 4, true},      {1, 4, false},     {33, 153, true},
                        {50, 233, true},  {99, 461, true},   {100, 466, true},  {150, 466, false},
                        {-5, 0, true}};
  for (const Case& c : cases) {
    const int before = i.host.refreshes;
    i.wizard.ZipTotalPercentDone(nullptr, c.percent);
    EXPECT_EQ(i.window.Control(ControlId::imgbar).width, c.width) << c.percent;
    EXPECT_EQ(i.host.refreshes - before, c.repaints ? 1 : 0) << c.percent;
  }
}

// Each failure shows its error, asks the window to close, and never reaches the finish page, even
// when the close question is answered No.
TEST(InstallSequence, FailuresShowTheirErrorAndStopBeforeThePostInstallSteps) {
  struct Case {
    const char* setup;
    const char* message;
    uint32_t flags;
  } cases[] = {
      {"setup-corrupt.exe", "解压缩安装包失败。(error code 8004)", 0x40040},
      {"setup-badcrc.exe", "解安装包失败。(error code 8003)", 0x40040},
      {"python-eopm.lzma", "解压缩失败，无法完成安装，请以管理员身份重新运行本安装程序。(error code 8001)", 0x40010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    Installer i(c.setup);
    i.wizard.ShowPage(3);
    i.wizard.Click(ControlId::RzBmpButton8);
    ASSERT_FALSE(i.platform.messageBoxes.empty());
    EXPECT_EQ(i.platform.messageBoxes[0], std::string(c.message) + "|" + std::to_string(c.flags) + "|direct");
    EXPECT_EQ(i.host.closeRequests, 1);
    EXPECT_EQ(i.window.currentPage, 4);
    EXPECT_NE(i.window.Control(ControlId::lbInfo).text, "文件安装成功");
    EXPECT_FALSE(i.HasRegistry(kAppPath));
    EXPECT_FALSE(i.HasRegistry(kUninstallString));
  }
}

TEST(InstallSequence, AnArchiveThatCannotBeSavedIsError8005) {
  Installer i("setup-ok.exe");
  // A folder where the decompressed archive should go: it can be neither deleted nor written.
  sys::ForceDirectories(i.platform.tempFolder + kPayloadTempName + "~");
  i.wizard.ShowPage(3);
  i.wizard.Click(ControlId::RzBmpButton8);
  EXPECT_TRUE(i.Called(std::string("ShowPlainMessage(") +
                       "解压缩安装文件失败，无法完成安装，请以管理员身份重新运行本安装程序。(error code 8005))"));
  EXPECT_EQ(i.host.closeRequests, 1);
  EXPECT_FALSE(i.HasRegistry(kAppPath));
}

TEST(InstallSequence, CancelDuringExtractionLeavesNoInstalledFile) {
  Installer i("setup-ok.exe");
  i.wizard.ShowPage(3);
  // The user presses Cancel while the third entry is being written; the engine pumps messages.
  int entries = 0;
  i.platform.onProcessMessages = [&] {
    if (i.session.InstallLog.Lines().size() == 3 && entries++ == 0) {
      i.platform.messageBoxAnswers = {kIdYes};
      EXPECT_TRUE(i.wizard.FormCloseQuery());
    }
  };
  i.wizard.Click(ControlId::RzBmpButton8);
  EXPECT_TRUE(i.session.Aborted);
  EXPECT_EQ(i.window.Control(ControlId::Label11).text, "正在回滚安装");
  for (const char* file : {"DeskClient.exe", "Remover.exe", "midas.dll", "docs\\readme.txt", "install.log"}) {
    EXPECT_FALSE(sys::FileExists(i.Installed(file))) << file;
  }
  EXPECT_FALSE(i.HasRegistry(kAppPath));
  EXPECT_FALSE(i.HasRegistry(kUninstallString));
  EXPECT_EQ(i.window.currentPage, 4);
  const std::string question = i.platform.messageBoxes.at(0);
  EXPECT_EQ(question, "程序还未安装完成，如果您现在退出，程序将不会被安装。\n\r您可以稍后再次运行安装程序来完成安装。\n\r"
                      "确认退出安装程序？|36|modal");
}

// The user cancels while sub\b.dll is being written. As on Windows, the file the engine holds open
// cannot be deleted then: the rollback deletes a.dll, fails on b.dll and keeps the installation
// folder (it still held sub when a.dll went). Once the engine has closed b.dll, it goes with sub.
// The entries skipped after the cancellation are logged too, but what lies at their paths was not
// written by this run: a file of the user's there, and one no entry names, both stay.
TEST(Rollback, CancelDuringExtractionDeletesOnlyWhatTheRunWrote) {
  // The third case: the disk fills just after the cancel, so the engine ends the run on the file
  // it still writes; the user cancelled, so that is no error of its own.
  for (auto [userFiles, diskFills] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
    SCOPED_TRACE(userFiles ? "with the user's files in the folder" : diskFills ? "disk full after the cancel" : "into a new folder");
    Installer i("setup-blocks.exe");
    test::DiskFaults faults;
    faults.OpenFilesCannotBeDeleted();
    const std::string folder = i.Installed("");
    const test::Bytes mine = {'m', 'i', 'n', 'e'};
    if (userFiles) {
      sys::ForceDirectories(folder);
      test::WriteFile(sys::NativePath(folder + "c.dll"), mine);
      test::WriteFile(sys::NativePath(folder + "notes.txt"), mine);
    }
    // Cancel, answered Yes, at the engine's second message point inside b.dll.
    int pointsInB = 0;
    bool heldThroughRollback = false;
    i.platform.onProcessMessages = [&] {
      if (i.session.InstallLog.Lines().size() != 2 || ++pointsInB != 2) return;
      i.platform.messageBoxAnswers = {kIdYes};
      EXPECT_TRUE(i.wizard.FormCloseQuery());
      heldThroughRollback = sys::FileExists(i.Installed("sub\\b.dll"));
      if (diskFills) faults.FullAfter(folder, 0);
    };
    i.wizard.ShowPage(3);
    i.wizard.Click(ControlId::RzBmpButton8);

    ASSERT_TRUE(heldThroughRollback);
    EXPECT_EQ(i.platform.messageBoxes.size(), 1u);  // the question only, no error box
    if (!diskFills) {
      EXPECT_EQ(i.session.InstallLog.Lines().size(), 4u);  // c.dll and later\d.txt, skipped, logged
    }
    EXPECT_FALSE(sys::FileExists(i.Installed("a.dll")));
    EXPECT_FALSE(sys::FileExists(i.Installed("sub\\b.dll")));
    EXPECT_FALSE(sys::DirectoryExists(i.Installed("sub")));
    EXPECT_TRUE(sys::DirectoryExists(folder));
    if (userFiles) {
      EXPECT_EQ(test::ReadFile(sys::NativePath(folder + "c.dll")), mine);
      EXPECT_EQ(test::ReadFile(sys::NativePath(folder + "notes.txt")), mine);
      EXPECT_EQ(test::EntriesUnder(sys::NativePath(folder)), 2u);
    } else {
      EXPECT_EQ(test::EntriesUnder(sys::NativePath(folder)), 0u);
    }
  }
}

// While the payload is copied out and decoded no message runs, so a Cancel pressed then waits in
// the queue and reaches the close query at the sequence's next message point; so does one pressed
// right after Install, before the installation counts as started (the plain quit question). Answered
// Yes, nothing more happens beneath the query: no error box, no file, no registry entry, no program.
TEST(Rollback, ACancelThatWaitedForTheNextMessagePointEndsTheInstallationQuietly) {
  for (const char* status : {"正在解压缩...", "正在解压缩安装文件...", "正在复制文件..."}) {
    SCOPED_TRACE(status);
    Installer i("setup-ok.exe");
    bool asked = false;
    i.platform.onProcessMessages = [&] {
      if (asked || i.window.Control(ControlId::lbInfo).text != status) return;
      asked = true;
      i.platform.messageBoxAnswers = {kIdYes};
      EXPECT_TRUE(i.wizard.FormCloseQuery());
    };
    i.wizard.ShowPage(3);
    i.wizard.Click(ControlId::RzBmpButton8);
    ASSERT_TRUE(asked);
    ASSERT_EQ(i.platform.messageBoxes.size(), 1u);  // the question only
    const bool started = std::string(status) != "正在解压缩...";
    EXPECT_EQ(i.platform.messageBoxes[0].rfind(started ? "程序还未安装完成" : "确认退出安装程序？|", 0), 0u);
    EXPECT_EQ(std::count_if(i.platform.calls.begin(), i.platform.calls.end(),
                            [](const std::string& c) { return c.rfind("ShowPlainMessage", 0) == 0 || c.rfind("ExecuteShell", 0) == 0; }),
              0);
    EXPECT_EQ(i.host.closeRequests, 0);
    EXPECT_FALSE(sys::DirectoryExists(i.Installed("docs")));
    EXPECT_FALSE(sys::FileExists(i.Installed("DeskClient.exe")));
    EXPECT_FALSE(i.HasRegistry(kAppPath));
    EXPECT_FALSE(i.HasRegistry(kUninstallString));
    EXPECT_EQ(i.window.currentPage, 4);
  }
}

TEST(Rollback, OnlyEachFilesOwnFolderIsTriedWhenTheFileGoes) {
  for (bool subFirst : {false, true}) {
    SCOPED_TRACE(subFirst);
    Installer i("setup-ok.exe");
    const std::string install = i.root + "\\install\\";
    sys::ForceDirectories(install + "sub");
    test::WriteFile(sys::NativePath(install + "a.dll"), {1});
    test::WriteFile(sys::NativePath(install + "sub\\b.dll"), {2});
    i.session.Installing = true;
    if (subFirst) {
      i.session.InstallLog.Append("File=" + install + "sub\\b.dll");
      i.session.InstallLog.Append("File=" + install + "a.dll");
    } else {
      i.session.InstallLog.Append("File=" + install + "a.dll");
      i.session.InstallLog.Append("File=" + install + "sub\\b.dll");
    }
    i.platform.registry[kAppPath] = "x";
    i.platform.messageBoxAnswers = {kIdYes};
    EXPECT_TRUE(i.wizard.FormCloseQuery());
    EXPECT_FALSE(sys::FileExists(install + "a.dll"));
    EXPECT_FALSE(sys::DirectoryExists(install + "sub"));
    EXPECT_EQ(sys::DirectoryExists(install), !subFirst);
    EXPECT_FALSE(i.HasRegistry(kAppPath));
  }
}

TEST(CloseQuery, QuestionsBeforeAndDuringInstallation) {
  Installer i("setup-ok.exe");
  i.platform.messageBoxAnswers = {kIdNo, kIdYes};
  EXPECT_FALSE(i.wizard.FormCloseQuery());
  EXPECT_TRUE(i.wizard.FormCloseQuery());
  EXPECT_EQ(i.platform.messageBoxes[0], "确认退出安装程序？|36|modal");
  i.session.Installing = true;
  i.platform.messageBoxAnswers = {kIdNo};
  EXPECT_FALSE(i.wizard.FormCloseQuery());
  EXPECT_FALSE(i.session.Aborted);
}

TEST(Finish, OptionsShortcutsLogAndTheEnd) {
  for (bool options : {true, false}) {
    SCOPED_TRACE(options);
    Installer i("setup-ok.exe");
    i.wizard.ShowPage(3);
    i.wizard.Click(ControlId::RzBmpButton8);
    ASSERT_EQ(i.window.currentPage, 5);
    const std::string appData = i.root + "\\Users\\u\\AppData\\Roaming";
    i.platform.registry["HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\AppData"] = appData;
    for (ControlId box : {ControlId::ch1, ControlId::ch2, ControlId::ch3, ControlId::ch4}) i.window.Control(box).checked = options;
    const size_t before = i.session.InstallLog.Lines().size();
    i.wizard.Click(ControlId::RzBmpButton20);

    const std::vector<std::string>& log = i.session.InstallLog.Lines();
    const std::string menu = i.platform.programsFolder + "Velmora\\";
    std::vector<std::string> expected;
    if (options) {
      expected = {"File=" + i.platform.desktopFolder + "Velmora.lnk",
                  "File=" + appData + "\\Microsoft\\Internet Explorer\\Quick Launch\\Velmora.lnk"};
    }
    for (const std::string& line : {"File=" + menu + "Velmora.lnk", "File=" + menu + "卸载 Velmora.lnk",
                                    "File=" + menu + "自动更新程序.lnk", "Dir=" + menu}) {
      expected.push_back(line);
    }
    EXPECT_EQ(std::vector<std::string>(log.begin() + long(before), log.end()), expected);
    EXPECT_FALSE(i.session.Installing);
    EXPECT_TRUE(i.platform.terminated);
    EXPECT_EQ(i.HasRegistry("HKCU\\SoftWare\\MicroSoft\\Internet Explorer\\Main\\Start Page"), options);
    const auto started = std::find(i.platform.calls.begin(), i.platform.calls.end(),
                                   "ExecuteShell(1001,open," + i.Installed("DeskClient.exe") + ",," + i.Installed("") + ",0)");
    EXPECT_EQ(started != i.platform.calls.end(), options);
    if (options) {
      const auto menuLink = std::find_if(i.platform.calls.begin(), i.platform.calls.end(), [&](const std::string& c) {
        return c.rfind("CreateShellLink(" + menu, 0) == 0;
      });
      EXPECT_LT(started, menuLink);  // the product starts before the Start-menu shortcuts exist
    }
  }
}

// Shortcuts left in the Start-menu folder by an earlier installation are deleted and made anew.
TEST(Finish, ExistingStartMenuShortcutsAreReplaced) {
  Installer i("setup-ok.exe");
  i.wizard.ShowPage(3);
  i.wizard.Click(ControlId::RzBmpButton8);
  ASSERT_EQ(i.window.currentPage, 5);
  const std::string menu = i.platform.programsFolder + "Velmora\\";
  const std::string links[] = {menu + "Velmora.lnk", menu + "卸载 Velmora.lnk", menu + "自动更新程序.lnk"};
  sys::ForceDirectories(menu);
  for (const std::string& link : links) test::WriteFile(sys::NativePath(link), {'o', 'l', 'd'});
  for (ControlId box : {ControlId::ch1, ControlId::ch2, ControlId::ch3, ControlId::ch4}) i.window.Control(box).checked = false;
  i.wizard.Click(ControlId::RzBmpButton20);
  const std::string targets[] = {i.Installed("DeskClient.exe"), i.Installed("Remover.exe"), i.Installed("LiveUpdater.exe")};
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(links[n]);
    const auto removed = std::find(i.platform.calls.begin(), i.platform.calls.end(), "RemoveFile(" + links[n] + ")");
    const auto made = std::find_if(i.platform.calls.begin(), i.platform.calls.end(), [&](const std::string& call) {
      return call.rfind("CreateShellLink(" + links[n] + ",", 0) == 0;
    });
    EXPECT_LT(removed, made);
    ASSERT_NE(made, i.platform.calls.end());
    const test::Bytes link = test::ReadFile(sys::NativePath(links[n]));
    EXPECT_EQ(std::string(link.begin(), link.end()), targets[n] + "|" + i.Installed(""));
  }
}

}  // namespace
}  // namespace velmora::app
