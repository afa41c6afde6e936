// The bitmap button's model: automatic size, pressing by mouse and keyboard, access keys, group
// mode, the choice of bitmap and the paint and layout arithmetic.
#include "ui/BmpButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace velmora::ui {
namespace {

using S = TBmpButtonState;

const char* Name(S s) {
  switch (s) {
    case S::bsUp:
      return "up";
    case S::bsDisabled:
      return "disabled";
    case S::bsDown:
      return "down";
    case S::bsExclusive:
      return "exclusive";
  }
  return "?";
}

// A window for one button: paints by asking for the plan, as the real one does, and logs each
// paint's state and each click in order.
struct Rig : IBmpButtonHost {
  TRzBmpButton button{*this};
  std::vector<std::string> log;
  std::vector<std::pair<int, int>> resizes;
  std::vector<TRzBmpButton*>* parent = nullptr;  // the controls a group message goes to
  bool focus = false;
  bool acceptsFocus = true;
  bool canFocus = true;
  bool windowVisible = true;
  bool newStyle = true;
  bool loading = false;
  int modalResult = -1;

  Rig() {
    button.OnClick = [this] { log.push_back("click"); };
  }

  void Repaint() override { log.push_back(std::string("paint ") + Name(button.PlanPaint(0, 0).state)); }
  void TakeFocus() override {
    if (!acceptsFocus) return;
    focus = true;
    button.FocusGained();
  }
  bool HasFocus() override { return focus; }
  bool CanFocus() override { return canFocus; }
  bool WindowVisible() override { return windowVisible; }
  void SetModalResult(int result) override { modalResult = result; }
  void SendGroupMessage(int groupIndex, TRzBmpButton* sender) override {
    if (parent == nullptr) return;
    for (TRzBmpButton* b : *parent) b->HandleGroupMessage(groupIndex, sender);
  }
  bool HasNewStyleControls() override { return newStyle; }
  bool IsLoading() override { return loading; }
  void Resize(int width, int height) override { resizes.emplace_back(width, height); }

  int Clicks() const { return int(std::count(log.begin(), log.end(), "click")); }
  int Paints() const {
    return int(std::count_if(log.begin(), log.end(), [](const std::string& e) { return e.rfind("paint", 0) == 0; }));
  }
  bool Painted(const char* what) const {
    return std::find(log.begin(), log.end(), std::string("paint ") + what) != log.end();
  }
  void SetAll(TBmpSize size) {
    for (TBmpSlot slot : {TBmpSlot::Up, TBmpSlot::UpAndFocused, TBmpSlot::Disabled, TBmpSlot::Down,
                          TBmpSlot::StayDown, TBmpSlot::Hot}) {
      button.Bitmaps().SetSize(slot, size);
    }
  }
  void Press(int x = 5, int y = 5) { button.MouseDown(TBmpMouseButton::mbLeft, x, y); }
  void Release(int x = 5, int y = 5) { button.MouseUp(TBmpMouseButton::mbLeft, x, y); }
};

TEST(BmpButton, DefaultsAsPublished) {
  Rig r;
  const TRzBmpButton& b = r.button;
  EXPECT_EQ(b.Width(), 80);
  EXPECT_EQ(b.Height(), 30);
  EXPECT_EQ(b.Color(), clBtnFace);
  EXPECT_EQ(b.ButtonBorder(), TButtonBorder::bbNone);
  EXPECT_EQ(b.ButtonSize(), TBtnSize::bszButtonToBitmap);
  EXPECT_EQ(b.ButtonStyle(), TButtonStyle::bsAutoDetect);
  EXPECT_EQ(b.Layout(), TButtonLayout::blGlyphLeft);
  EXPECT_EQ(b.Margin(), -1);
  EXPECT_EQ(b.Spacing(), 4);
  EXPECT_EQ(b.CaptionDownOffset(), 1);
  EXPECT_TRUE(b.ShowFocus());
  EXPECT_TRUE(b.ShowDownPattern());
  EXPECT_EQ(b.GroupIndex(), 0);
  EXPECT_FALSE(b.Down());
  EXPECT_FALSE(b.AllowAllUp());
  EXPECT_EQ(b.ModalResult(), 0);
  EXPECT_TRUE(b.Enabled());
  EXPECT_TRUE(b.Visible());
  EXPECT_TRUE(b.TabStop());
  EXPECT_EQ(b.Bitmaps().TransparentColor(), 0x00008080u);
  EXPECT_EQ(b.State(), S::bsUp);
  EXPECT_TRUE(r.log.empty());
}

TEST(BmpButton, BitmapsNotifyOnlyRealChanges) {
  TRzButtonBitmaps bitmaps;
  int changes = 0;
  bitmaps.OnChange = [&] { ++changes; };
  bitmaps.SetSize(TBmpSlot::Hot, {17, 17});
  bitmaps.SetSize(TBmpSlot::Hot, {17, 17});
  bitmaps.SetTransparentColor(TRzButtonBitmaps::kDefaultTransparentColor);
  EXPECT_EQ(changes, 1);
  bitmaps.SetTransparentColor(0x00FF00FF);
  bitmaps.SetSize(TBmpSlot::Hot, {});
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(bitmaps.IsEmpty(TBmpSlot::Hot));
  bitmaps.SetSize(TBmpSlot::Up, {89, 23});
  EXPECT_EQ(bitmaps.Size(TBmpSlot::GeneratedDisabled), (TBmpSize{89, 23}));  // made from Up
  EXPECT_TRUE(bitmaps.IsEmpty(TBmpSlot::None));
}

TEST(BmpButton, AutomaticSizeByBorderAndStyle) {
  using B = TButtonBorder;
  using St = TButtonStyle;
  using Z = TBtnSize;
  struct Case {
    B border;
    St style;
    bool platformNew;
    Z size;
    int width, height;
  } cases[] = {
      {B::bbNone, St::bsAutoDetect, true, Z::bszButtonToBitmap, 89, 23},
      {B::bbSingle, St::bsAutoDetect, true, Z::bszButtonToBitmap, 91, 25},
      {B::bbButton, St::bsNew, false, Z::bszButtonToBitmap, 93, 27},
      {B::bbButton, St::bsWin31, true, Z::bszButtonToBitmap, 95, 29},
      {B::bbButton, St::bsAutoDetect, true, Z::bszButtonToBitmap, 93, 27},
      {B::bbButton, St::bsAutoDetect, false, Z::bszButtonToBitmap, 95, 29},
      {B::bbNone, St::bsAutoDetect, true, Z::bszNeither, 80, 30},
      {B::bbSingle, St::bsAutoDetect, true, Z::bszStretchToButton, 80, 30},
      {B::bbNone, St::bsAutoDetect, true, Z::bszTileToButton, 80, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.border) << "/" << int(c.style) << "/" << c.platformNew << "/"
                                    << int(c.size));
    Rig r;
    r.newStyle = c.platformNew;
    r.button.SetButtonBorder(c.border);
    r.button.SetButtonStyle(c.style);
    r.button.SetButtonSize(c.size);
    EXPECT_TRUE(r.resizes.empty());  // no Up bitmap yet
    r.SetAll({89, 23});
    EXPECT_EQ(r.button.Width(), c.width);
    EXPECT_EQ(r.button.Height(), c.height);
    if (c.width != 80) {
      EXPECT_EQ(r.resizes.back(), std::make_pair(c.width, c.height));
    }
  }
}

TEST(BmpButton, AutomaticSizeOverridesAnySizeAndFollowsUp) {
  Rig r;
  r.button.SetSize(200, 50);  // no Up bitmap: the owner's size holds
  EXPECT_EQ(r.button.Width(), 200);
  r.SetAll({89, 23});
  EXPECT_EQ(r.button.Width(), 89);
  EXPECT_EQ(r.button.Height(), 23);
  r.button.SetSize(120, 40);
  EXPECT_EQ(r.button.Width(), 89);
  EXPECT_EQ(r.resizes.back(), std::make_pair(89, 23));
  r.button.Resized(100, 100);  // resized by something else
  EXPECT_EQ(r.button.Height(), 23);
  EXPECT_EQ(r.resizes.back(), std::make_pair(89, 23));

  r.button.Bitmaps().SetSize(TBmpSlot::Up, {69, 21});
  EXPECT_EQ(r.resizes.back(), std::make_pair(69, 21));
  r.button.Bitmaps().SetSize(TBmpSlot::Hot, {17, 17});  // only Up counts
  EXPECT_EQ(r.button.Width(), 69);
  r.button.SetButtonBorder(TButtonBorder::bbSingle);
  EXPECT_EQ(r.resizes.back(), std::make_pair(71, 23));

  // Removing Up leaves the size where it was.
  r.button.Bitmaps().SetSize(TBmpSlot::Up, {});
  r.button.SetButtonBorder(TButtonBorder::bbNone);
  EXPECT_EQ(r.button.Width(), 71);
  EXPECT_EQ(r.button.Height(), 23);
}

TEST(BmpButton, AutomaticSizeWaitsForLoadingToFinish) {
  Rig r;
  r.loading = true;
  r.SetAll({17, 17});
  r.button.SetSize(80, 30);
  EXPECT_EQ(r.button.Width(), 80);
  EXPECT_TRUE(r.resizes.empty());
  r.loading = false;
  r.button.Loaded();
  EXPECT_EQ(r.button.Width(), 17);
  EXPECT_EQ(r.button.Height(), 17);
  EXPECT_EQ(r.resizes.back(), std::make_pair(17, 17));
}

TEST(BmpButton, PressLeaveReturnAndRelease) {
  Rig r;
  r.Press();
  EXPECT_TRUE(r.button.Focused());
  EXPECT_TRUE(r.button.Tracking());
  EXPECT_EQ(r.button.State(), S::bsDown);
  r.button.MouseMove(100, 5);
  EXPECT_EQ(r.button.State(), S::bsUp);
  EXPECT_TRUE(r.button.Tracking());
  r.button.MouseMove(5, 5);
  EXPECT_EQ(r.button.State(), S::bsDown);
  int paints = r.Paints();
  r.button.MouseMove(6, 6);  // no change of look, no paint
  EXPECT_EQ(r.Paints(), paints);
  r.Release();
  EXPECT_EQ(r.button.State(), S::bsUp);
  EXPECT_FALSE(r.button.Tracking());
  EXPECT_EQ(r.Clicks(), 1);
  // The handler runs with the button already drawn released.
  ASSERT_GE(r.log.size(), 2u);
  EXPECT_EQ(r.log[r.log.size() - 2], "paint up");
  EXPECT_EQ(r.log.back(), "click");

  r.Press();
  r.button.MouseMove(100, 5);
  r.Release(100, 5);
  EXPECT_EQ(r.Clicks(), 1);
  EXPECT_EQ(r.button.State(), S::bsUp);
  EXPECT_FALSE(r.button.Tracking());
  r.Release();  // a stray release with no press in progress
  EXPECT_EQ(r.Clicks(), 1);
}

TEST(BmpButton, ReleaseClicksOnlyInsideTheClientArea) {
  struct Case {
    int x, y;
    bool clicks;
  } cases[] = {
      {0, 0, true},   {88, 22, true},  // the last column and the bottom pixel row
      {44, 23, false},                 // one row below
      {89, 10, false}, {-1, 10, false}, {44, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    Rig r;
    r.button.Bitmaps().SetSize(TBmpSlot::Up, {89, 23});
    r.Press();
    r.button.MouseMove(c.x, c.y);
    r.Release(c.x, c.y);
    EXPECT_EQ(r.Clicks(), c.clicks ? 1 : 0);
  }
}

TEST(BmpButton, MousePressNeedsTheFocusAndTheLeftButton) {
  {
    Rig r;  // other buttons take the focus but do not press
    r.button.MouseDown(TBmpMouseButton::mbRight, 5, 5);
    EXPECT_TRUE(r.focus);
    EXPECT_FALSE(r.button.Tracking());
    EXPECT_EQ(r.button.State(), S::bsUp);
  }
  {
    Rig r;  // a hidden window does not give the focus, so no press either
    r.windowVisible = false;
    r.Press();
    EXPECT_FALSE(r.focus);
    EXPECT_FALSE(r.button.Tracking());
  }
  {
    Rig r;  // the focus refused
    r.acceptsFocus = false;
    r.Press();
    r.Release();
    EXPECT_FALSE(r.button.Tracking());
    EXPECT_EQ(r.Clicks(), 0);
  }
  {
    Rig r;
    r.button.SetEnabled(false);
    r.Press();
    r.Release();
    EXPECT_FALSE(r.focus);
    EXPECT_EQ(r.Clicks(), 0);
  }
}

TEST(BmpButton, DisablingEndsAPressAndReenablingShowsUp) {
  Rig r;
  r.Press();
  r.button.SetEnabled(false);  // the repaint settles the look
  EXPECT_EQ(r.button.State(), S::bsDisabled);
  EXPECT_FALSE(r.button.Tracking());
  r.Release();
  EXPECT_EQ(r.Clicks(), 0);
  r.button.SetEnabled(true);
  EXPECT_EQ(r.button.State(), S::bsUp);
}

TEST(BmpButton, SpaceHeldThenAnotherKeyClicksAtThatKeysRelease) {
  Rig r;
  r.button.KeyDown(TRzBmpButton::kKeySpace);
  EXPECT_EQ(r.button.State(), S::bsDown);
  EXPECT_TRUE(r.button.Tracking());
  r.button.KeyDown('A');
  EXPECT_EQ(r.Clicks(), 0);
  r.button.KeyUp('A');
  EXPECT_EQ(r.Clicks(), 1);
  EXPECT_EQ(r.button.State(), S::bsUp);
  EXPECT_EQ(r.log[r.log.size() - 2], "paint up");
  r.button.KeyUp(TRzBmpButton::kKeySpace);  // the press is over already
  EXPECT_EQ(r.Clicks(), 1);

  r.button.SetEnabled(false);
  r.button.KeyDown(TRzBmpButton::kKeySpace);
  r.button.KeyUp(TRzBmpButton::kKeySpace);
  EXPECT_EQ(r.Clicks(), 1);
}

TEST(BmpButton, EnterClicksAtOnceWithoutAPressedLook) {
  Rig r;
  r.button.SetModalResult(2);
  int seenResult = 0;
  r.button.OnClick = [&] {
    seenResult = r.modalResult;
    r.log.push_back("click");
  };
  r.button.KeyDown(TRzBmpButton::kKeyEnter);
  EXPECT_EQ(r.log, std::vector<std::string>{"click"});
  EXPECT_EQ(seenResult, 2);  // the window's modal result is set before the handler runs
  EXPECT_FALSE(r.button.Tracking());
  r.button.KeyUp(TRzBmpButton::kKeyEnter);
  EXPECT_EQ(r.Clicks(), 1);
}

TEST(BmpButton, AccessKeys) {
  struct Case {
    const char* caption;
    int typed;
    bool taken;
  } cases[] = {
      {"上一步(&P)", 'p', true},
      {"上一步(&P)", 'P', true},
      {"上一步(&P)", 'N', false},
      {"&&Next", 'N', false},  // "&&" is a literal "&"
      {"A&&B&c", 'C', true},
      {"A&&B&c", 'B', false},
      {"&&&x", 'X', true},
      {"Go&", 'o', false},  // a trailing "&" marks nothing
      {"Plain", 'P', false},
      {"", 'a', false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.caption << " " << char(c.typed));
    Rig r;
    r.button.SetCaption(c.caption);
    r.log.clear();
    EXPECT_EQ(r.button.AccessKey(c.typed), c.taken);
    EXPECT_EQ(r.log, c.taken ? std::vector<std::string>{"click"} : std::vector<std::string>{});
  }
}

TEST(BmpButton, AccessKeyOnHiddenOrDisabledButtonIsPassedOn) {
  struct Case {
    const char* what;
    bool enabled, visible, canFocus;
  } cases[] = {
      {"disabled", false, true, true},
      {"hidden", true, false, true},
      {"on a hidden page", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    r.button.SetCaption("下一步(&N)");
    r.button.SetEnabled(c.enabled);
    r.button.SetVisible(c.visible);
    r.canFocus = c.canFocus;
    EXPECT_FALSE(r.button.AccessKey('n'));
    EXPECT_EQ(r.Clicks(), 0);
  }
}

TEST(BmpButton, MarginBelowMinusOneIsIgnored) {
  Rig r;
  r.button.SetButtonSize(TBtnSize::bszNeither);
  r.button.Bitmaps().SetSize(TBmpSlot::Up, {20, 20});
  r.button.SetCaption("Go");
  r.button.SetMargin(5);
  EXPECT_EQ(r.button.PlanPaint(30, 10).bitmapRect.left, 5);
  int paints = r.Paints();
  r.button.SetMargin(-2);
  EXPECT_EQ(r.button.Margin(), 5);
  EXPECT_EQ(r.Paints(), paints);
  r.button.SetMargin(-1);
  EXPECT_EQ(r.Paints(), paints + 1);
  // Centred again: 80 / 2 - (20 + 4 + 30) / 2.
  EXPECT_EQ(r.button.PlanPaint(30, 10).bitmapRect.left, 13);
}

TEST(BmpButton, LayoutOfBitmapAndCaption) {
  using L = TButtonLayout;
  const TBmpRect p{2, 3, 102, 43};  // 100 x 40, not at the origin
  struct Case {
    const char* what;
    TBmpRect paint;
    TBmpSize bitmap, caption;
    L layout;
    int margin, spacing;
    bool hasBitmap;
    TBmpRect bitmapRect, captionRect;
  } cases[] = {
      {"left centred", p, {20, 16}, {30, 10}, L::blGlyphLeft, -1, 4, true, {25, 15, 45, 31}, {49, 18, 79, 28}},
      {"right centred", p, {20, 16}, {30, 10}, L::blGlyphRight, -1, 4, true, {59, 15, 79, 31}, {25, 18, 55, 28}},
      {"left spread", p, {20, 16}, {30, 10}, L::blGlyphLeft, -1, -1, true, {18, 15, 38, 31}, {54, 18, 84, 28}},
      {"left margin, spacing spread", p, {20, 16}, {30, 10}, L::blGlyphLeft, 3, -1, true, {5, 15, 25, 31},
       {48, 18, 78, 28}},
      {"left fixed", p, {20, 16}, {30, 10}, L::blGlyphLeft, 3, 4, true, {5, 15, 25, 31}, {29, 18, 59, 28}},
      {"top centred", p, {20, 16}, {30, 10}, L::blGlyphTop, -1, 4, true, {42, 8, 62, 24}, {37, 28, 67, 38}},
      {"top at the edge, spacing spread", p, {20, 16}, {30, 10}, L::blGlyphTop, 0, -1, true, {42, 3, 62, 19},
       {37, 26, 67, 36}},
      {"bottom spread", p, {20, 16}, {30, 10}, L::blGlyphBottom, -1, -1, true, {42, 23, 62, 39}, {37, 9, 67, 19}},
      {"bottom fixed", p, {20, 16}, {30, 10}, L::blGlyphBottom, 2, 4, true, {42, 25, 62, 41}, {37, 11, 67, 21}},
      // Without both a bitmap and a caption there is no spacing.
      {"no caption", p, {20, 16}, {0, 0}, L::blGlyphLeft, -1, 4, true, {42, 15, 62, 31}, {62, 23, 62, 23}},
      {"no bitmap", p, {0, 0}, {30, 10}, L::blGlyphLeft, -1, -1, false, {}, {37, 18, 67, 28}},
      // (10 - 30 - 6) / 3 truncates to -8, not -9.
      {"bitmap larger than the button", {0, 0, 10, 10}, {30, 30}, {6, 4}, L::blGlyphLeft, -1, -1, true,
       {-8, -10, 22, 20}, {14, 3, 20, 7}},
      // The wizard's buttons: a stretched bitmap takes no room, the caption is centred.
      {"caption alone", {0, 0, 89, 23}, {0, 0}, {40, 12}, L::blGlyphLeft, -1, 4, false, {}, {24, 5, 64, 17}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBmpLayoutRects rects = LayoutBitmapAndCaption(c.paint, c.bitmap, c.caption, c.layout, c.margin, c.spacing);
    EXPECT_EQ(rects.hasBitmap, c.hasBitmap);
    if (c.hasBitmap) {
      EXPECT_EQ(rects.bitmap, c.bitmapRect);
    }
    EXPECT_EQ(rects.caption, c.captionRect);
  }
}

TEST(BmpButton, BitmapChoice) {
  using Slot = TBmpSlot;
  using Look = TBmpCaptionLook;
  enum Has { kUp = 1, kUpFocused = 2, kDisabled = 4, kDown = 8, kStayDown = 16, kHot = 32, kAll = 63 };
  enum Setup { kNothing, kHotPointer, kFocus, kFocusNoShow, kHotAndFocus, kPress, kDisable, kStayDownInGroup };
  struct Case {
    const char* what;
    int has;
    Setup setup;
    Slot slot;
    Look look;
  } cases[] = {
      {"plain", kAll, kNothing, Slot::Up, Look::cdNormal},
      {"hot wins over focused", kAll, kHotAndFocus, Slot::Hot, Look::cdNormal},
      {"focused", kAll, kFocus, Slot::UpAndFocused, Look::cdNormal},
      {"focus not shown", kAll, kFocusNoShow, Slot::Up, Look::cdNormal},
      {"hot without Hot", kUp | kUpFocused, kHotAndFocus, Slot::UpAndFocused, Look::cdNormal},
      {"pressed", kAll, kPress, Slot::Down, Look::cdPressed},
      {"pressed without Down", kUp | kHot, kPress, Slot::Up, Look::cdPressed},
      {"disabled", kAll, kDisable, Slot::Disabled, Look::cdDisabled},
      {"disabled without Disabled", kUp | kHot | kDown, kDisable, Slot::GeneratedDisabled, Look::cdDisabled},
      {"disabled, only Disabled", kDisabled, kDisable, Slot::Disabled, Look::cdDisabled},
      {"disabled, no Up nor Disabled", kHot | kDown, kDisable, Slot::None, Look::cdDisabled},
      {"only Disabled, enabled", kDisabled, kNothing, Slot::None, Look::cdNormal},
      {"no Up, hot", kHot, kHotPointer, Slot::None, Look::cdNormal},
      {"stay down", kAll, kStayDownInGroup, Slot::StayDown, Look::cdPressed},
      {"stay down without StayDown", kUp | kDown, kStayDownInGroup, Slot::Down, Look::cdPressed},
      {"stay down, Up only", kUp, kStayDownInGroup, Slot::Up, Look::cdPressed},
  };
  const Slot slots[] = {Slot::Up, Slot::UpAndFocused, Slot::Disabled, Slot::Down, Slot::StayDown, Slot::Hot};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    r.button.SetButtonSize(TBtnSize::bszStretchToButton);
    for (int i = 0; i < 6; ++i) {
      if (c.has & (1 << i)) r.button.Bitmaps().SetSize(slots[i], {89, 23});
    }
    r.button.SetCaption("Go");
    switch (c.setup) {
      case kNothing:
        break;
      case kHotPointer:
        r.button.MouseEnter();
        break;
      case kFocusNoShow:
        r.button.SetShowFocus(false);
        [[fallthrough]];
      case kFocus:
        r.TakeFocus();
        break;
      case kHotAndFocus:
        r.TakeFocus();
        r.button.MouseEnter();
        break;
      case kPress:
        r.Press();
        break;
      case kDisable:
        r.button.SetEnabled(false);
        break;
      case kStayDownInGroup:
        r.button.SetGroupIndex(1);
        r.button.SetDown(true);
        break;
    }
    TBmpButtonPaint plan = r.button.PlanPaint(20, 10);
    EXPECT_EQ(plan.bitmap, c.slot);
    EXPECT_EQ(plan.bitmapDraw, c.slot == Slot::None ? TBmpDraw::bdNone : TBmpDraw::bdStretch);
    EXPECT_EQ(plan.caption, c.look);
    // The pressed caption moves by CaptionDownOffset whichever bitmap shows.
    int shift = c.look == Look::cdPressed ? 1 : 0;
    EXPECT_EQ(plan.captionTextRect, (TBmpRect{plan.captionRect.left + shift, plan.captionRect.top + shift,
                                              plan.captionRect.right + shift, plan.captionRect.bottom + shift}));
  }
}

TEST(BmpButton, PaintPlanOfTheWizardsButtons) {
  Rig r;
  r.SetAll({89, 23});
  r.button.SetCaption("下一步(&N)");
  r.button.SetCaptionDownOffset(2);

  TBmpButtonPaint plan = r.button.PlanPaint(40, 12);
  EXPECT_EQ(plan.background, TBmpBackground::bgParentImage);
  EXPECT_EQ(plan.client, (TBmpRect{0, 0, 89, 23}));
  EXPECT_EQ(plan.paint, plan.client);
  EXPECT_FALSE(plan.hasStayDownFill);
  EXPECT_EQ(plan.bitmapDraw, TBmpDraw::bdStretch);
  EXPECT_EQ(plan.bitmapRect, plan.client);
  EXPECT_EQ(plan.transparentColor, 0x00008080u);
  EXPECT_EQ(plan.captionTextRect, (TBmpRect{24, 5, 64, 17}));
  EXPECT_FALSE(plan.hasFocusRect);

  r.TakeFocus();
  plan = r.button.PlanPaint(40, 12);
  EXPECT_TRUE(plan.hasFocusRect);
  EXPECT_EQ(plan.focusRect, (TBmpRect{22, 3, 66, 19}));
  r.Press();  // the focus rectangle moves with the caption
  plan = r.button.PlanPaint(40, 12);
  EXPECT_EQ(plan.captionTextRect, (TBmpRect{26, 7, 66, 19}));
  EXPECT_EQ(plan.focusRect, (TBmpRect{24, 5, 68, 21}));
  r.Release();

  r.button.SetEnabled(false);
  plan = r.button.PlanPaint(40, 12);
  EXPECT_EQ(plan.state, S::bsDisabled);
  EXPECT_EQ(plan.caption, TBmpCaptionLook::cdDisabled);
  EXPECT_EQ(plan.captionTextRect, (TBmpRect{24, 5, 64, 17}));
  EXPECT_EQ(plan.captionShadowRect, (TBmpRect{25, 6, 65, 18}));

  // No caption: nothing to write and no focus rectangle around nothing.
  r.button.SetEnabled(true);
  r.button.SetCaption("");
  plan = r.button.PlanPaint(40, 12);
  EXPECT_EQ(plan.caption, TBmpCaptionLook::cdNone);
  EXPECT_FALSE(plan.hasFocusRect);
}

TEST(BmpButton, PaintPlanOfBorderedButtons) {
  using B = TButtonBorder;
  struct Case {
    const char* what;
    B border;
    TButtonStyle style;
    bool down, focused, pattern;
    TBmpBackground background;
    bool facePressed, faceFocused, newStyle, stayDownFill;
    TBmpRect stayDownRect;
  } cases[] = {
      {"single", B::bbSingle, TButtonStyle::bsNew, false, false, true, TBmpBackground::bgSingleFrame, false, false,
       true, false, {}},
      {"single held down", B::bbSingle, TButtonStyle::bsNew, true, false, true, TBmpBackground::bgSingleFrame, false,
       false, true, true, {0, 0, 38, 19}},
      {"single held down, old style", B::bbSingle, TButtonStyle::bsWin31, true, false, false,
       TBmpBackground::bgSingleFrame, false, false, false, true, {-1, -1, 40, 21}},
      {"button face focused", B::bbButton, TButtonStyle::bsNew, false, true, true, TBmpBackground::bgButtonFace, false,
       true, true, false, {}},
      {"button face held down", B::bbButton, TButtonStyle::bsWin31, true, false, true, TBmpBackground::bgButtonFace,
       true, false, false, true, {-1, -1, 40, 21}},
      {"borderless held down", B::bbNone, TButtonStyle::bsNew, true, false, true, TBmpBackground::bgParentImage,
       false, false, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    r.button.SetButtonSize(TBtnSize::bszTileToButton);
    r.button.SetSize(40, 21);
    r.button.SetButtonBorder(c.border);
    r.button.SetButtonStyle(c.style);
    r.button.SetShowDownPattern(c.pattern);
    r.button.SetColor(0x00123456);
    r.button.Bitmaps().SetSize(TBmpSlot::Up, {8, 8});
    r.button.SetGroupIndex(3);
    r.button.SetDown(c.down);
    if (c.focused) r.TakeFocus();
    TBmpButtonPaint plan = r.button.PlanPaint(0, 0);
    EXPECT_EQ(plan.state, c.down ? S::bsExclusive : S::bsUp);
    EXPECT_EQ(plan.background, c.background);
    EXPECT_EQ(plan.newStyle, c.newStyle);
    EXPECT_EQ(plan.facePressed, c.facePressed);
    EXPECT_EQ(plan.faceFocused, c.faceFocused);
    EXPECT_EQ(plan.color, 0x00123456u);
    const TBmpRect p = c.border == B::bbNone ? TBmpRect{0, 0, 40, 21} : TBmpRect{1, 1, 39, 20};
    EXPECT_EQ(plan.paint, p);
    EXPECT_EQ(plan.bitmapDraw, TBmpDraw::bdTile);
    EXPECT_EQ(plan.bitmapRect, p);
    EXPECT_EQ(plan.hasStayDownFill, c.stayDownFill);
    if (c.stayDownFill) {
      EXPECT_EQ(plan.stayDownRect, c.stayDownRect);
      EXPECT_EQ(plan.stayDownPattern, c.pattern);
    }
  }
}

TEST(BmpButton, NaturalSizeBitmapTakesItsPlaceInTheLayout) {
  Rig r;
  r.button.SetButtonSize(TBtnSize::bszNeither);
  r.button.SetButtonBorder(TButtonBorder::bbSingle);  // P is 78 x 28 at (1, 1)
  r.button.Bitmaps().SetSize(TBmpSlot::Up, {16, 16});
  r.button.Bitmaps().SetSize(TBmpSlot::Down, {20, 20});
  r.button.SetCaption("OK");
  TBmpButtonPaint plan = r.button.PlanPaint(12, 10);
  EXPECT_EQ(plan.bitmapDraw, TBmpDraw::bdNatural);
  // 39 - (16 + 4 + 12) / 2 = 23 from P's left edge.
  EXPECT_EQ(plan.bitmapRect, (TBmpRect{24, 7, 40, 23}));
  EXPECT_EQ(plan.captionRect, (TBmpRect{44, 10, 56, 20}));
  r.Press();  // the Down bitmap's own size counts while it shows
  plan = r.button.PlanPaint(12, 10);
  EXPECT_EQ(plan.bitmap, TBmpSlot::Down);
  EXPECT_EQ(plan.bitmapRect, (TBmpRect{22, 5, 42, 25}));
}

TEST(BmpButton, GroupKeepsAtMostOneButtonDown) {
  std::vector<TRzBmpButton*> parent;
  Rig a, b, other, plain;
  for (Rig* r : {&a, &b, &other, &plain}) {
    r->parent = &parent;
    parent.push_back(&r->button);
  }
  a.button.SetGroupIndex(1);
  b.button.SetGroupIndex(1);
  other.button.SetGroupIndex(2);

  plain.button.SetDown(true);  // not in a group: never down
  EXPECT_FALSE(plain.button.Down());

  a.button.SetDown(true);
  EXPECT_EQ(a.button.State(), S::bsExclusive);
  other.button.SetDown(true);
  b.button.SetDown(true);
  EXPECT_FALSE(a.button.Down());
  EXPECT_EQ(a.button.State(), S::bsUp);
  EXPECT_TRUE(b.button.Down());
  EXPECT_TRUE(other.button.Down());  // another group is left alone

  b.button.SetDown(false);  // the down one stays down
  EXPECT_TRUE(b.button.Down());
  EXPECT_EQ(b.button.State(), S::bsExclusive);

  a.button.SetAllowAllUp(true);  // copied by the rest of the group only
  EXPECT_TRUE(b.button.AllowAllUp());
  EXPECT_FALSE(other.button.AllowAllUp());
  b.button.SetDown(false);
  EXPECT_FALSE(b.button.Down());
  EXPECT_EQ(b.button.State(), S::bsUp);

  // A button that joined later hears the group's next change too.
  plain.button.SetGroupIndex(2);
  other.button.SetAllowAllUp(true);
  EXPECT_TRUE(plain.button.AllowAllUp());
}

TEST(BmpButton, GroupButtonTogglesOnClick) {
  std::vector<TRzBmpButton*> parent;
  Rig a, b;
  for (Rig* r : {&a, &b}) {
    r->parent = &parent;
    parent.push_back(&r->button);
    r->button.SetGroupIndex(1);
  }
  a.Press();
  a.Release();
  EXPECT_TRUE(a.button.Down());
  EXPECT_EQ(a.button.State(), S::bsExclusive);
  EXPECT_EQ(a.Clicks(), 1);

  // Without AllowAllUp a click cannot raise it, but still counts as a click.
  a.Press();
  EXPECT_EQ(a.button.State(), S::bsExclusive);
  a.button.MouseMove(200, 5);
  EXPECT_EQ(a.button.State(), S::bsExclusive);
  a.Release();
  EXPECT_TRUE(a.button.Down());
  EXPECT_EQ(a.Clicks(), 2);

  // Released outside: no click, still held down.
  a.Press();
  a.Release(200, 5);
  EXPECT_EQ(a.button.State(), S::bsExclusive);
  EXPECT_EQ(a.Clicks(), 2);

  b.Press();
  b.Release();
  EXPECT_TRUE(b.button.Down());
  EXPECT_FALSE(a.button.Down());

  b.button.SetAllowAllUp(true);
  b.Press();
  b.Release();
  EXPECT_FALSE(b.button.Down());
  EXPECT_EQ(b.button.State(), S::bsUp);
}

TEST(BmpButton, DoubleClickPressesAgainAndReportsOnlyWhenDown) {
  Rig r;
  int doubles = 0;
  r.button.OnDblClick = [&] { ++doubles; };
  r.Press();
  r.Release();
  r.button.DoubleClick(5, 5);
  EXPECT_EQ(r.button.State(), S::bsDown);
  r.Release();
  EXPECT_EQ(r.Clicks(), 2);
  EXPECT_EQ(doubles, 0);

  r.button.SetGroupIndex(1);
  r.Press();
  r.Release();  // now down
  r.button.DoubleClick(5, 5);
  EXPECT_EQ(doubles, 1);
}

TEST(BmpButton, PointerEnterAndLeave) {
  Rig r;
  int enters = 0, leaves = 0;
  r.button.OnMouseEnter = [&] { ++enters; };
  r.button.OnMouseLeave = [&] { ++leaves; };
  r.button.Bitmaps().SetSize(TBmpSlot::Up, {17, 17});
  r.log.clear();
  r.button.MouseEnter();
  EXPECT_TRUE(r.button.Hot());
  EXPECT_EQ(r.Paints(), 0);  // no Hot bitmap, nothing to show
  r.button.MouseLeave();
  EXPECT_FALSE(r.button.Hot());
  r.button.Bitmaps().SetSize(TBmpSlot::Hot, {17, 17});
  r.log.clear();
  r.button.MouseEnter();
  r.button.MouseLeave();
  EXPECT_EQ(r.Paints(), 2);
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(leaves, 2);
}

TEST(BmpButton, DownPatternIsACheckerboardStartingWhite) {
  for (int y = 0; y < kDownPatternSize; ++y) {
    for (int x = 0; x < kDownPatternSize; ++x) EXPECT_EQ(DownPatternIsWhite(x, y), x % 2 == y % 2) << x << "," << y;
  }
}

}  // namespace
}  // namespace velmora::ui
