// The wizard's page flow and environment check, run natively against the test doubles.
#include "app/SetupWizard.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "FakePlatform.h"
#include "app/ProductContract.h"

namespace velmora::app {
namespace {

using platform::kIdCancel;
using platform::kIdNo;
using platform::kIdRetry;
using platform::kIdYes;

struct Wizard {
  test::FakePlatform platform;
  test::FakeHost host;
  TSetupWizard wizard{platform, host};
  TWindowModel& window = wizard.Window();

  int Count(const std::string& call) const {
    return int(std::count(platform.calls.begin(), platform.calls.end(), call));
  }
};

TEST(PageFlow, ShowPageSizesShapesAndShowsExactlyOnePage) {
  Wizard w;
  w.wizard.ShowPage(6);
  EXPECT_EQ(w.window.width, 508);
  EXPECT_EQ(w.window.height, 395);
  EXPECT_EQ(w.Count("SetRoundRegion(508x395,6x6)"), 1);
  w.wizard.ShowPage(6);  // the page shown already: nothing at all
  EXPECT_EQ(w.Count("SetRoundRegion(508x395,6x6)"), 1);
  for (int tag : {0, 1, 2, 3, 4, 5, 6}) {
    w.wizard.ShowPage(tag);
    EXPECT_EQ(w.window.currentPage, tag);
    for (const auto& [page, visible] : w.window.pageVisible) EXPECT_EQ(visible, page == tag) << tag;
  }
  w.wizard.ShowPage(7);  // no such page: sized by the licence panel, every page hidden
  EXPECT_EQ(w.window.currentPage, 7);
  EXPECT_EQ(w.window.width, 508);
  for (const auto& [page, visible] : w.window.pageVisible) EXPECT_FALSE(visible) << page;
}

TEST(PageFlow, StartUpCentresTheWelcomePageWithHalvesToEven) {
  Wizard w;
  w.wizard.FormCreate();
  EXPECT_EQ(w.window.currentPage, 6);
  EXPECT_EQ(w.window.tmshow.tag, 1);
  EXPECT_EQ(w.window.Control(ControlId::edtSetupPath).text, "C:\\Program Files\\Velmora\\");
  EXPECT_EQ(w.window.Control(ControlId::edtUserpath).text, "C:\\Users\\u\\Documents\\Velmora\\");  // over rb1's copy
  w.wizard.CentreOn(1920, 1080);
  EXPECT_EQ(w.window.left, 706);
  w.wizard.CentreOn(1365, 768);
  EXPECT_EQ(w.window.left, 428);  // 428.5 rounds to the even neighbour
  EXPECT_EQ(w.window.top, 186);
}

TEST(PageFlow, TheNormalPathFromWelcomeToLocation) {
  Wizard w;
  w.wizard.ShowPage(6);
  w.window.tmshow.tag = 1;
  w.wizard.Click(ControlId::RzBmpButton25);
  EXPECT_EQ(w.window.currentPage, 0);
  EXPECT_TRUE(w.window.tmshow.running);
  EXPECT_FALSE(w.window.Control(ControlId::RzBmpButton30).enabled);
  EXPECT_EQ(w.Count("SetTopmost(on)"), 1);
  EXPECT_EQ(w.Count("SetTopmost(off)"), 1);

  w.wizard.tmshowTimer();
  EXPECT_FALSE(w.window.tmshow.running);
  EXPECT_EQ(w.window.tmshow.tag, 0);
  EXPECT_EQ(w.window.currentPage, 1);

  w.wizard.Click(ControlId::RzBmpButton1);
  EXPECT_EQ(w.window.currentPage, 2);
  EXPECT_FALSE(w.window.Control(ControlId::btNext2).enabled);
  w.wizard.Click(ControlId::btNext2);  // disabled: nothing happens
  EXPECT_EQ(w.window.currentPage, 2);
  w.wizard.Click(ControlId::chbAgree);
  EXPECT_TRUE(w.window.Control(ControlId::btNext2).enabled);
  w.wizard.Click(ControlId::chbAgree);
  EXPECT_FALSE(w.window.Control(ControlId::btNext2).enabled);
  w.wizard.Click(ControlId::chbAgree);
  w.platform.freeSpace["C:\\"] = 1572864;
  w.window.SetText(ControlId::edtSetupPath, "C:\\Program Files\\Velmora\\");
  w.wizard.Click(ControlId::btNext2);
  EXPECT_EQ(w.window.currentPage, 3);
  EXPECT_EQ(w.window.Control(ControlId::lbSize).text, "所需空间：50MB  可用空间：1.5MB");
  EXPECT_EQ(w.window.Control(ControlId::edtUserpath).text, "C:\\Program Files\\Velmora\\");  // rb1 checked
  EXPECT_EQ(w.window.top, 0);  // all pages are the same height: no move
}

TEST(PageFlow, BackButtonsAndTheEnvironmentPagesOwnNext) {
  struct Step {
    int from;
    ControlId button;
    int to;
  } steps[] = {
      {2, ControlId::RzBmpButton22, 1},  // licence: Back
      {3, ControlId::RzBmpButton9, 2},   // location: Back
      {1, ControlId::RzBmpButton16, 1},  // features: Back stays disabled
  };
  for (const Step& s : steps) {
    Wizard w;
    w.wizard.ShowPage(s.from);
    w.wizard.Click(s.button);
    EXPECT_EQ(w.window.currentPage, s.to) << ui::Describe(s.button).name;
  }
  Wizard w;
  w.wizard.ShowPage(0);
  w.window.Control(ControlId::RzBmpButton29).enabled = true;
  w.wizard.Click(ControlId::RzBmpButton29);  // environment: Back re-arms the check
  EXPECT_EQ(w.window.currentPage, 6);
  EXPECT_EQ(w.window.tmshow.tag, 1);
  w.window.tmshow.tag = 0;
  w.wizard.Click(ControlId::RzBmpButton25);  // a disarmed check: the environment page shows, nothing runs
  EXPECT_EQ(w.window.currentPage, 0);
  EXPECT_FALSE(w.window.tmshow.running);
  w.window.Control(ControlId::RzBmpButton30).enabled = true;
  w.wizard.Click(ControlId::RzBmpButton30);  // its own Next runs the check and goes on
  EXPECT_EQ(w.window.currentPage, 1);
}

TEST(PageFlow, AgreementReminderWhenNextIsPressedUnchecked) {
  Wizard w;
  w.wizard.ShowPage(2);
  w.window.Control(ControlId::btNext2).enabled = true;
  w.wizard.Click(ControlId::btNext2);
  EXPECT_EQ(w.window.currentPage, 2);
  ASSERT_EQ(w.platform.messageBoxes.size(), 1u);
  EXPECT_EQ(w.platform.messageBoxes[0],
            std::string("请阅读并同意软件许可协议和青少年上网安全指引，并勾选上方选择框。|") +
                std::to_string(0x40040) + "|direct");
  EXPECT_EQ(w.window.focused, ControlId::chbAgree);
}

TEST(PageFlow, CloseButtonsAndCancelButtonsAskTheWindowToClose) {
  Wizard w;
  const ControlId closers[] = {ControlId::RzBmpButton26, ControlId::RzBmpButton23, ControlId::RzBmpButton31, ControlId::RzBmpButton15, ControlId::RzBmpButton12,
                           ControlId::RzBmpButton21, ControlId::RzBmpButton2,  ControlId::RzBmpButton4,  ControlId::RzBmpButton7,  ControlId::RzBmpButton6,
                           ControlId::btTurnBackSetup, ControlId::RzBmpButton13, ControlId::RzBmpButton32, ControlId::RzBmpButton18};
  for (ControlId closer : closers) w.wizard.Click(closer);
  EXPECT_EQ(w.host.closeRequests, int(std::size(closers)));
}

TEST(PageFlow, LocationPageFolderChoicesAndFreeSpace) {
  Wizard w;
  w.wizard.ShowPage(3);
  EXPECT_EQ(w.wizard.GetFreeSpaceMB(""), "0");
  EXPECT_EQ(w.wizard.GetFreeSpaceMB("Q:\\nowhere"), "0");
  w.platform.freeSpace["D:\\"] = 5ull << 30;
  EXPECT_EQ(w.wizard.GetFreeSpaceMB("D:\\Apps"), "5120.0");

  w.host.folderAnswers = {"D:\\Apps", ""};
  w.wizard.Click(ControlId::RzBmpButton10);
  EXPECT_EQ(w.window.Control(ControlId::edtSetupPath).text, "D:\\Apps");
  EXPECT_EQ(w.window.Control(ControlId::edtUserpath).text, "D:\\Apps");
  EXPECT_EQ(w.host.folderDialogs.back(), "|请选择程序安装目录:");

  EXPECT_FALSE(w.window.Control(ControlId::edtUserpath).enabled);
  EXPECT_FALSE(w.window.Control(ControlId::RzBmpButton11).visible);
  w.wizard.Click(ControlId::rb2);
  EXPECT_TRUE(w.window.Control(ControlId::edtUserpath).enabled);
  EXPECT_TRUE(w.window.Control(ControlId::RzBmpButton11).visible);
  w.wizard.Click(ControlId::RzBmpButton11);  // cancelled
  EXPECT_EQ(w.host.folderDialogs.back(), "D:\\Apps|请个人文件夹目录:");
  EXPECT_EQ(w.window.Control(ControlId::edtUserpath).text, "D:\\Apps");
  w.wizard.Click(ControlId::rb1);
  EXPECT_FALSE(w.window.Control(ControlId::edtUserpath).enabled);
}

// What the screen's own check boxes and radio buttons report after changing themselves: the model
// takes it, keeps the page's radio buttons one group (the screen follows it) and runs the handler.
TEST(PageFlow, ToggledControlsReportWhatTheUserAskedFor) {
  Wizard w;
  w.wizard.ShowPage(3);
  w.wizard.Toggled(ControlId::rb2, true);
  EXPECT_TRUE(w.window.Control(ControlId::rb2).checked);
  EXPECT_FALSE(w.window.Control(ControlId::rb1).checked);
  EXPECT_TRUE(w.window.Control(ControlId::edtUserpath).enabled);
  w.wizard.Toggled(ControlId::rb2, false);  // a radio button is not unchecked by the user
  EXPECT_TRUE(w.window.Control(ControlId::rb2).checked);

  w.wizard.ShowPage(2);
  w.wizard.Toggled(ControlId::chbAgree, true);
  EXPECT_TRUE(w.window.Control(ControlId::btNext2).enabled);
  w.wizard.Toggled(ControlId::chbAgree, false);
  EXPECT_FALSE(w.window.Control(ControlId::chbAgree).checked);
  EXPECT_FALSE(w.window.Control(ControlId::btNext2).enabled);
}

TEST(PageFlow, UninstallerMessageAndPagingKeys) {
  Wizard w;
  w.wizard.HandleMessage(kUninstallerDoneMessage, 100020);
  EXPECT_FALSE(w.window.tmshow.running);
  w.wizard.HandleMessage(kUninstallerDoneMessage, kUninstallerDoneParam);
  EXPECT_TRUE(w.window.tmshow.running);

  w.wizard.KeyDown(ControlId::Memo1, kVkNumpad3);
  w.wizard.KeyDown(std::nullopt, kVkNumpad9);
  w.wizard.KeyDown(ControlId::Memo1, 'A');
  EXPECT_EQ(w.Count("SendKeyDown(2002,34)"), 1);
  EXPECT_EQ(w.Count("SendKeyDown(2002,33)"), 1);
}

// Any button pressed on the window, a page picture or a label starts the system's move of the
// window; the progress track and bar do not, and the places they cover elsewhere are picture.
TEST(PageFlow, PressingTheWindowDragsItExceptOnTheProgressImages) {
  struct Case {
    const char* what;
    int page, x, y;
    bool drags;
  } cases[] = {
      {"welcome picture", 6, 100, 300, true},
      {"welcome label lb19", 6, 200, 115, true},
      {"the column beyond the page", 6, 507, 200, true},
      {"progress picture", 4, 100, 300, true},
      {"progress status line", 4, 40, 132, true},
      {"progress track, left of the bar", 4, 29, 160, false},
      {"progress track's right end", 4, 493, 169, false},
      {"progress bar", 4, 40, 160, false},
      {"just below the track", 4, 100, 170, true},
      {"the track's place on the location page", 3, 100, 160, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Wizard w;
    w.wizard.ShowPage(c.page);
    w.window.Control(ControlId::imgbar).width = 233;
    w.wizard.FormMouseDown(c.x, c.y);
    EXPECT_EQ(w.Count("StartWindowDrag"), c.drags ? 1 : 0);
  }
}

// The user drags the window to a new place: the clicks, the timer and the installation's moves
// that follow start from there instead of putting it back.
TEST(PageFlow, TheWindowStaysWhereTheUserDraggedIt) {
  Wizard w;
  w.wizard.FormCreate();
  w.wizard.CentreOn(1024, 768);
  w.wizard.FormMouseDown(100, 300);
  w.wizard.FormMoved(37, 401);  // where the system's move ended
  w.wizard.Click(ControlId::RzBmpButton25);
  w.wizard.tmshowTimer();
  w.wizard.Click(ControlId::RzBmpButton1);
  w.window.SetText(ControlId::edtSetupPath, "D:\\Velmora");
  EXPECT_EQ(w.window.currentPage, 2);
  EXPECT_EQ(w.window.left, 37);
  EXPECT_EQ(w.window.top, 401);
}

// --- Environment check ---

const std::string kUninstall = std::string("HKLM\\") + kUninstallKey + "\\" + kUninstallStringValue;

TEST(EnvironmentCheck, EarlierInstallationIsOfferedForRemoval) {
  {
    Wizard w;  // none registered
    EXPECT_TRUE(w.wizard.CheckEnvironment());
    EXPECT_TRUE(w.platform.messageBoxes.empty());
  }
  {
    Wizard w;  // registered, but its uninstaller is gone
    w.platform.registry[kUninstall] = "C:\\Old\\Remover.exe";
    EXPECT_TRUE(w.wizard.CheckEnvironment());
    EXPECT_EQ(w.window.Control(ControlId::RzBmpButton30).tag, 0);
    EXPECT_TRUE(w.platform.messageBoxes.empty());
  }
  {
    Wizard w;  // Yes: the uninstaller starts with the wizard window's handle; the page waits
    w.platform.registry[kUninstall] = "C:\\Old\\Remover.exe";
    w.platform.files.insert("C:\\Old\\Remover.exe");
    w.platform.messageBoxAnswers = {kIdYes};
    w.wizard.ShowPage(0);
    w.wizard.tmshowTimer();
    EXPECT_EQ(w.platform.messageBoxes[0], std::string("检测到已经安装了 Velmora ,请先卸载旧系统再安装。|36|modal"));
    EXPECT_EQ(w.Count("ExecuteShell(1000,,C:\\Old\\Remover.exe,1001,,1)"), 1);
    EXPECT_EQ(w.window.tmReCheck.tag, 1);
    EXPECT_EQ(w.window.Control(ControlId::RzBmpButton30).tag, 1);
    EXPECT_TRUE(w.window.Control(ControlId::RzBmpButton30).enabled);
    EXPECT_TRUE(w.window.Control(ControlId::RzBmpButton29).enabled);
    EXPECT_EQ(w.window.currentPage, 0);
  }
  {
    Wizard w;  // No: the program ends, without looking for a running product
    w.platform.registry[kUninstall] = "C:\\Old\\Remover.exe";
    w.platform.files.insert("C:\\Old\\Remover.exe");
    w.platform.messageBoxAnswers = {kIdNo};
    w.platform.windows = {{7, "Velmora", "TDeskMainForm", 70}};
    w.platform.processImages[70] = "C:\\P\\DeskClient.exe";
    EXPECT_FALSE(w.wizard.CheckEnvironment());
    EXPECT_TRUE(w.window.hidden);
    EXPECT_TRUE(w.platform.terminated);
    EXPECT_EQ(w.platform.messageBoxes.size(), 1u);
  }
}

TEST(EnvironmentCheck, RunningProductBlocksUntilClosedOrGivenUp) {
  struct Case {
    platform::WindowInfo window;
    std::string image;
    bool blocks;
  } cases[] = {
      {{7, "Velmora 客户端", "tdeskmainform", 70}, "C:\\P\\DESKCLIENT.EXE", true},
      {{7, "用户登录", "TDeskLoginForm", 70}, "C:\\P\\deskclient.exe", true},
      {{7, "DeskWelcome", "TDeskWelcomeForm", 70}, "C:\\P\\DeskClient.exe", true},
      {{7, "velmora", "TDeskMainForm", 70}, "C:\\P\\DeskClient.exe", false},    // title is case-sensitive
      {{7, "Velmora", "TDeskLoginForm", 70}, "C:\\P\\DeskClient.exe", false},   // rule's class differs
      {{7, "Velmora", "TDeskMainForm", 70}, "C:\\P\\Other.exe", false},         // another program
      {{7, "Velmora", "TDeskMainForm", 70}, "", false},                         // image unknown
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window.title + " " + c.image);
    Wizard w;
    w.platform.windows = {c.window};
    w.platform.processImages[70] = c.image;
    w.platform.messageBoxAnswers = {kIdRetry, kIdCancel};  // retry once, then give up
    EXPECT_TRUE(w.wizard.CheckEnvironment());
    if (c.blocks) {
      ASSERT_EQ(w.platform.messageBoxes.size(), 2u);
      EXPECT_EQ(w.platform.messageBoxes[0],
                std::string("检测到已有 Ormund的同类型软件 正在运行，请先关闭后再点击重试。|") +
                    std::to_string(0x40025) + "|direct");
      EXPECT_TRUE(w.platform.terminated);
    } else {
      EXPECT_TRUE(w.platform.messageBoxes.empty());
      EXPECT_FALSE(w.platform.terminated);
    }
  }
}

// The environment check lets messages run while it scans: the screen shows the environment page
// then, and the hidden window once the user has declined to remove an earlier installation.
TEST(EnvironmentCheck, TheScreenShowsTheModelWheneverMessagesRun) {
  for (int answer : {kIdYes, kIdNo}) {
    SCOPED_TRACE(answer);
    Wizard w;
    w.host.window = &w.window;
    w.platform.registry[kUninstall] = "C:\\Old\\Remover.exe";
    w.platform.files.insert("C:\\Old\\Remover.exe");
    w.platform.windows = {{7, "Notepad", "Notepad", 70}, {8, "Other", "Other", 80}};
    w.platform.messageBoxAnswers = {answer};
    int points = 0;
    w.platform.onProcessMessages = [&] {
      ++points;
      EXPECT_EQ(w.host.screen, test::FakeHost::Screen(w.window));
    };
    w.wizard.FormCreate();
    w.wizard.Click(ControlId::RzBmpButton25);
    w.wizard.tmshowTimer();
    EXPECT_GT(points, 0);
    EXPECT_EQ(w.window.hidden, answer == kIdNo);
  }
}

}  // namespace
}  // namespace velmora::app
