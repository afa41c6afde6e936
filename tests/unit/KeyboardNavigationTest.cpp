// Access keys, arrow keys and Tab over the real window description.
#include "ui/KeyboardNavigation.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velmora::ui {
namespace {

// The window's live state as the tests set it: the page shown, and controls disabled or hidden.
struct Screen {
  int page = 6;
  std::set<std::string> disabled;
  std::set<std::string> hidden;

  bool CanFocus(const ControlDescription& d) const {
    const bool enabled = d.enabled ? !disabled.count(d.name) : false;
    return d.pageTag == page && enabled && d.visible && !hidden.count(d.name);
  }
  CanFocusFn Fn() const {
    return [this](const ControlDescription& d) { return CanFocus(d); };
  }
};

const char* CaptionOf(const ControlDescription& d) { return d.text; }

std::string Name(const ControlDescription* d) { return d == nullptr ? "none" : d->name; }

TEST(AccessKeyTest, MarkedCharacter) {
  const struct {
    const char* caption;
    char key;
  } cases[] = {
      {"上一步(&P)", 'P'}, {"&next", 'N'}, {"a&&b", 0}, {"&&&x", 'X'}, {"Save && &close", 'C'}, {"trailing&", 0},
      {"none", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(AccessKeyOf(c.caption), c.key) << c.caption;
  EXPECT_TRUE(IsAccessKey("下一步(&N)", 'n'));
  EXPECT_FALSE(IsAccessKey("a&&b", 'b'));
}

TEST(AccessKeyTest, CreationOrderStartsWithTheLicencePage) {
  const auto& order = CreationOrder();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(std::string(order.front()->name), "Memo1");
  EXPECT_EQ(std::string(order.back()->name), "RzBmpButton32");
  std::string pages;
  for (const ControlDescription* d : order) {
    const char tag = char('0' + d->pageTag);
    if (pages.empty() || pages.back() != tag) pages += tag;
    EXPECT_NE(d->kind, ControlKind::kLabel);
    EXPECT_NE(d->kind, ControlKind::kPicture);
  }
  EXPECT_EQ(pages, "2160435");
}

TEST(AccessKeyTest, OnlyTheShownPageAnswers) {
  Screen screen;  // the welcome page: Back is disabled, Next and Cancel are not
  screen.disabled = {"RzBmpButton24"};
  EXPECT_EQ(Name(AccessKeyTarget('n', CaptionOf, screen.Fn())), "RzBmpButton25");
  EXPECT_EQ(Name(AccessKeyTarget('I', CaptionOf, screen.Fn())), "none");
  EXPECT_EQ(Name(AccessKeyTarget('p', CaptionOf, screen.Fn())), "none");
  EXPECT_EQ(Name(AccessKeyTarget('c', CaptionOf, screen.Fn())), "RzBmpButton26");

  screen.page = 3;  // with rb2 checked both browse buttons carry "&B": the first created wins
  EXPECT_EQ(Name(AccessKeyTarget('b', CaptionOf, screen.Fn())), "RzBmpButton10");
  EXPECT_EQ(Name(AccessKeyTarget('i', CaptionOf, screen.Fn())), "RzBmpButton8");
  screen.disabled.insert("RzBmpButton10");
  EXPECT_EQ(Name(AccessKeyTarget('b', CaptionOf, screen.Fn())), "none");  // RzBmpButton11 starts hidden
}

TEST(ArrowKeyTest, MovesWithinThePageInTabOrderAndWraps) {
  Screen screen;
  screen.page = 3;
  const ControlDescription& rb1 = Describe(ControlId::rb1);
  // Tab stops do not matter; hidden or disabled controls are passed over.
  EXPECT_EQ(Name(ArrowTarget(rb1, true, screen.Fn())), "rb2");
  EXPECT_EQ(Name(ArrowTarget(rb1, false, screen.Fn())), "edtSetupPath");
  EXPECT_EQ(Name(ArrowTarget(Describe(ControlId::rb2), true, screen.Fn())), "RzBmpButton9");  // 11 hidden, edit disabled
  EXPECT_EQ(Name(ArrowTarget(Describe(ControlId::RzBmpButton7), true, screen.Fn())), "RzBmpButton6");
  EXPECT_EQ(Name(ArrowTarget(Describe(ControlId::RzBmpButton6), false, screen.Fn())), "RzBmpButton7");

  screen.page = 6;
  screen.disabled = {"RzBmpButton24"};
  EXPECT_EQ(Name(ArrowTarget(Describe(ControlId::RzBmpButton23), true, screen.Fn())), "RzBmpButton25");
  Screen lonely;  // nothing else on the page can take the focus
  lonely.page = 6;
  lonely.disabled = {"RzBmpButton23", "RzBmpButton24", "RzBmpButton25"};
  EXPECT_EQ(Name(ArrowTarget(Describe(ControlId::RzBmpButton26), true, lonely.Fn())), "none");
}

TEST(TabKeyTest, FollowsTabOrderAcrossTheShownPage) {
  Screen screen;
  screen.page = 2;
  screen.disabled = {"btNext2"};
  // Memo1 is created first but its tab order puts the close button before it.
  EXPECT_EQ(Name(TabTarget(nullptr, true, screen.Fn())), "RzBmpButton4");
  EXPECT_EQ(Name(TabTarget(&Describe(ControlId::RzBmpButton4), true, screen.Fn())), "Memo1");
  EXPECT_EQ(Name(TabTarget(&Describe(ControlId::RzBmpButton22), true, screen.Fn())), "RzBmpButton2");
  EXPECT_EQ(Name(TabTarget(&Describe(ControlId::RzBmpButton2), true, screen.Fn())), "RzBmpButton4");
  EXPECT_EQ(Name(TabTarget(&Describe(ControlId::RzBmpButton4), false, screen.Fn())), "RzBmpButton2");
}

}  // namespace
}  // namespace velmora::ui
