// The wizard window's pages and controls as data: consistency of the tables and spot checks of
// single rows against the window's layout.
#include "ui/WindowDescription.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace velmora::ui {
namespace {

TEST(WindowDescription, PagesInTheOrderTheWizardShowsThem) {
  struct Expected {
    int tag;
    const char* panel;
    const char* picture;
  } expected[] = {{6, "pnl1", "img6"}, {0, "pl0", "img0"}, {1, "pl1", "img1"}, {2, "pl2", "img2"},
                  {3, "pl3", "img3"}, {4, "pl4", "img4"}, {5, "pl5", "img5"}};
  const auto& pages = Pages();
  ASSERT_EQ(pages.size(), std::size(expected));
  for (size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pages[i].tag, expected[i].tag);
    EXPECT_STREQ(pages[i].panel, expected[i].panel);
    EXPECT_STREQ(pages[i].picture, expected[i].picture);
  }
}

// Controls come page by page in the pages' order, each page opening with its one background
// picture, and each page holds the number of controls its layout lists.
TEST(WindowDescription, ControlsComePageByPageEachOpeningWithItsPicture) {
  const std::map<int, size_t> expectedCount = {{6, 9}, {0, 8}, {1, 20}, {2, 11}, {3, 12}, {4, 10}, {5, 9}};
  const auto& pages = Pages();
  const auto& controls = Controls();
  size_t at = 0;
  for (const PageDescription& page : pages) {
    SCOPED_TRACE(page.panel);
    ASSERT_LT(at, controls.size());
    const ControlDescription& picture = controls[at];
    EXPECT_STREQ(picture.name, page.picture);
    EXPECT_EQ(picture.kind, ControlKind::kPicture);
    EXPECT_EQ(picture.left, 0);
    EXPECT_EQ(picture.top, 0);
    EXPECT_EQ(picture.width, kPageWidth);
    EXPECT_EQ(picture.height, kPageHeight);
    EXPECT_STREQ(picture.handler, "FormMouseDown");
    size_t count = 0;
    int pictures = 0;
    for (; at < controls.size() && controls[at].pageTag == page.tag; ++at, ++count) {
      if (controls[at].kind == ControlKind::kPicture) ++pictures;
    }
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(count, expectedCount.at(page.tag));
  }
  EXPECT_EQ(at, controls.size()) << "a control sits on no page, or its page's rows are split";
}

// The window, the model and the tests address controls by identity: each identity describes its own
// row, and the names the trees and messages show are unique.
TEST(WindowDescription, EachIdentityDescribesItsOwnRow) {
  std::set<std::string> names;
  ASSERT_EQ(Controls().size(), kControlCount);
  for (const ControlDescription& c : Controls()) {
    EXPECT_TRUE(names.insert(c.name).second) << c.name;
    EXPECT_EQ(&Describe(c.id), &c) << c.name;
  }
  EXPECT_STREQ(Describe(ControlId::RzBmpButton8).name, "RzBmpButton8");
  EXPECT_STREQ(Describe(ControlId::RzBmpButton8).text, "安装(&I)");
}

// Windowed controls have distinct tab positions within their page; pictures and labels have none.
// Labels and pictures forward mouse-downs to the window's drag handler, the progress images do not.
TEST(WindowDescription, TabOrderAndBindingsFollowTheKind) {
  std::map<int, std::set<int>> tabsPerPage;
  for (const ControlDescription& c : Controls()) {
    SCOPED_TRACE(c.name);
    if (IsWindowed(c.kind)) {
      EXPECT_GE(c.tabOrder, 0);
      EXPECT_TRUE(tabsPerPage[c.pageTag].insert(c.tabOrder).second) << "tab order " << c.tabOrder;
    } else {
      EXPECT_EQ(c.tabOrder, -1);
      EXPECT_TRUE(c.enabled);
      EXPECT_TRUE(c.visible);
    }
    switch (c.kind) {
      case ControlKind::kPicture:
      case ControlKind::kLabel:
      case ControlKind::kWrappingLabel:
        EXPECT_STREQ(c.handler, "FormMouseDown");
        break;
      case ControlKind::kProgressTrack:
      case ControlKind::kProgressBar:
        EXPECT_EQ(c.handler, nullptr);
        break;
      default:
        break;
    }
    if (c.kind == ControlKind::kLabel) {
      EXPECT_EQ(c.width, 0);
      EXPECT_EQ(c.height, 0);
    } else if (c.kind != ControlKind::kProgressBar) {
      EXPECT_GT(c.width, 0);
      EXPECT_GT(c.height, 0);
    }
  }
}

// Bitmap buttons take the size of their set's Up bitmap. Every close button carries the tooltip,
// only the welcome and environment-check pages' ones show it.
TEST(WindowDescription, BitmapButtonsTakeTheirSetsSizeAndCloseButtonsTheTooltip) {
  const std::map<ControlKind, std::pair<int, int>> sizes = {
      {ControlKind::kWideButton, {89, 23}},
      {ControlKind::kCancelButton, {88, 23}},
      {ControlKind::kCloseButton, {17, 17}},
      {ControlKind::kMixedButton, {89, 23}},
  };
  std::set<std::string> shown;
  int closeButtons = 0;
  for (const ControlDescription& c : Controls()) {
    SCOPED_TRACE(c.name);
    if (c.showHint) shown.insert(c.name);
    const auto size = sizes.find(c.kind);
    if (size != sizes.end()) {
      EXPECT_EQ(c.width, size->second.first);
      EXPECT_EQ(c.height, size->second.second);
    }
    if (c.kind == ControlKind::kCloseButton) {
      ++closeButtons;
      EXPECT_STREQ(c.hint, "关闭");
      EXPECT_EQ(c.text, nullptr);
    } else {
      EXPECT_EQ(c.hint, nullptr);
    }
  }
  EXPECT_EQ(closeButtons, 7);
  EXPECT_EQ(shown, (std::set<std::string>{"RzBmpButton23", "RzBmpButton15"}));
}

TEST(WindowDescription, SpotChecksAcrossPages) {
  using K = ControlKind;
  struct Case {
    ControlId id;
    K kind;
    int page, left, top, width, height;
    const char* text;
    bool bold, enabled, visible, checked;
    int tab;
    const char* handler;
  } cases[] = {
      {ControlId::lb18, K::kLabel, 6, 194, 82, 0, 0, "欢迎使用 Velmora 安装程序", true, true, true, false, -1, "FormMouseDown"},
      {ControlId::lb20, K::kWrappingLabel, 6, 194, 141, 297, 28,
       "如果您有任何其他程序正在运行，请单击“取消”，关闭程序，然后再次运行该安装程序。", false, true, true, false, -1,
       "FormMouseDown"},
      {ControlId::RzBmpButton24, K::kWideButton, 6, 207, 355, 89, 23, "上一步(&P)", false, false, true, false, 1, nullptr},
      {ControlId::Label16, K::kLabel, 0, 36, 161, 0, 0, "正在检测安装环境，请稍后...", false, true, true, false, -1,
       "FormMouseDown"},
      {ControlId::RzBmpButton31, K::kCancelButton, 0, 406, 357, 88, 23, "取消(&C)", false, true, true, false, 3,
       "btTurnBackSetupClick"},
      {ControlId::lb8, K::kWrappingLabel, 1, 162, 149, 319, 20, "，支持5173，淘宝以及百川等B2B网站的自动列表，拥有强力", false,
       true, true, false, -1, "FormMouseDown"},
      {ControlId::RzBmpButton21, K::kCloseButton, 1, 481, 4, 17, 17, nullptr, false, true, true, false, 1,
       "btTurnBackSetupClick"},
      {ControlId::lb24, K::kWrappingLabel, 2, 47, 287, 431, 30,
       "如果您接受协议中的条款，单击[下一步(N)]继续安装。如果您选定[取消(C)]，安装程序将会关闭。"
       "必须接受协议才能安装“Velmora”。",
       false, true, true, false, -1, "FormMouseDown"},
      {ControlId::Memo1, K::kMemo, 2, 48, 118, 393, 163, nullptr, false, true, true, false, 2, "Memo1KeyDown"},
      {ControlId::chbAgree, K::kCheckBox, 2, 49, 316, 353, 22, "我已阅读并同意Velmora软件许可协议", false, true, true, false, 3,
       "chbAgreeClick"},
      {ControlId::btNext2, K::kWideButton, 2, 307, 355, 89, 23, "下一步(&N)", false, false, true, false, 5, "btNext2Click"},
      {ControlId::lbSize, K::kLabel, 3, 33, 175, 0, 0, nullptr, false, true, true, false, -1, "FormMouseDown"},
      {ControlId::edtSetupPath, K::kFramedEdit, 3, 32, 123, 307, 20, nullptr, false, true, true, false, 3, "edtSetupPathChange"},
      {ControlId::rb1, K::kRadioButton, 3, 35, 235, 169, 18, "保存到安装目录下", false, true, true, true, 4, "rb1Click"},
      {ControlId::rb2, K::kRadioButton, 3, 35, 262, 169, 18, "自定义", false, true, true, false, 5, "rb1Click"},
      {ControlId::RzBmpButton11, K::kWideButton, 3, 362, 284, 89, 23, "浏览(&B)", false, true, false, false, 6,
       "RzBmpButton11Click"},
      {ControlId::edtUserpath, K::kFramedEdit, 3, 35, 285, 307, 20, nullptr, false, false, true, false, 7, nullptr},
      {ControlId::RzBmpButton8, K::kWideButton, 3, 306, 355, 89, 23, "安装(&I)", false, true, true, false, 9,
       "RzBmpButton8Click"},
      {ControlId::Label11, K::kLabel, 4, 31, 41, 0, 0, "程序正在安装", true, true, true, false, -1, "FormMouseDown"},
      {ControlId::Image1, K::kProgressTrack, 4, 28, 153, 466, 17, nullptr, false, true, true, false, -1, nullptr},
      {ControlId::imgbar, K::kProgressBar, 4, 31, 155, 0, 13, nullptr, false, true, true, false, -1, nullptr},
      {ControlId::lb1, K::kLabel, 4, 32, 65, 0, 0, "“Velmora”正在安装，请等候……", false, true, true, false, -1, "FormMouseDown"},
      {ControlId::RzBmpButton27, K::kMixedButton, 4, 214, 357, 89, 23, "上一步(&P)", false, false, true, false, 2, nullptr},
      {ControlId::ch1, K::kCheckBox, 5, 193, 167, 247, 15, "运行 OrmundVelmora 软件", false, true, true, true, 2, nullptr},
      {ControlId::ch2, K::kCheckBox, 5, 193, 194, 249, 17, nullptr, false, true, true, true, 3, nullptr},
      {ControlId::RzBmpButton20, K::kWideButton, 5, 308, 353, 89, 23, "完成(&F)", false, true, true, false, 7,
       "RzBmpButton20Click"},
  };
  for (const Case& e : cases) {
    const ControlDescription* c = &Describe(e.id);
    SCOPED_TRACE(c->name);
    EXPECT_EQ(c->kind, e.kind);
    EXPECT_EQ(c->pageTag, e.page);
    EXPECT_EQ(c->left, e.left);
    EXPECT_EQ(c->top, e.top);
    EXPECT_EQ(c->width, e.width);
    EXPECT_EQ(c->height, e.height);
    EXPECT_STREQ(c->text, e.text);
    EXPECT_EQ(c->boldLarge, e.bold);
    EXPECT_EQ(c->enabled, e.enabled);
    EXPECT_EQ(c->visible, e.visible);
    EXPECT_EQ(c->checked, e.checked);
    EXPECT_EQ(c->tabOrder, e.tab);
    EXPECT_STREQ(c->handler, e.handler);
  }
}

// The captions reach the program as code page 936 bytes, not UTF-8.
TEST(WindowDescription, CaptionsAreCodePage936) {
  EXPECT_STREQ(Describe(ControlId::RzBmpButton26).text, "\xc8\xa1\xcf\xfb(&C)");
  EXPECT_STREQ(Describe(ControlId::RzBmpButton23).hint, "\xb9\xd8\xb1\xd5");
  EXPECT_EQ(std::strlen(Describe(ControlId::lb1).text), 31u);  // 12 two-byte characters and "Velmora"
}

}  // namespace
}  // namespace velmora::ui
