// The glyph check box and radio button: layout, glyph cells, pixel composition, and what mouse,
// keyboard, focus and code do to their state and events.
#include "ui/GlyphButton.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velmora::ui {
namespace {

using namespace glyphbutton;
using MB = TRzCustomButton::MouseButton;

// --- Layout ---------------------------------------------------------------------------------------

TEST(GlyphButtonLayout, GlyphPositionFollowsAlignment) {
  struct Case {
    const char* what;
    int width, height;
    TLeftRight alignment;
    bool rightToLeft;
    TAlignmentVertical vertical;
    Point expected;
  } cases[] = {
      {"chbAgree", 353, 22, taRightJustify, false, avCenter, {0, 4}},  // 9 / 2 truncates
      {"rb1", 169, 18, taRightJustify, false, avCenter, {0, 2}},
      {"ch1", 200, 15, taRightJustify, false, avTop, {0, 2}},
      {"bottom", 100, 22, taRightJustify, false, avBottom, {0, 7}},
      {"caption left", 100, 22, taLeftJustify, false, avTop, {87, 2}},
      {"mirrored", 100, 22, taRightJustify, true, avTop, {87, 2}},
      {"mirrored left", 100, 22, taLeftJustify, true, avTop, {0, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRzCheckBox box;
    box.SetSize(c.width, c.height);
    box.SetAlignment(c.alignment);
    box.SetRightToLeft(c.rightToLeft);
    box.SetAlignmentVertical(c.vertical);
    EXPECT_EQ(box.GlyphOrigin(), c.expected);
  }
}

TEST(GlyphButtonLayout, CaptionRectangle) {
  TRzCheckBox box;  // as chbAgree: 353 x 22, standard 13 x 13 glyph
  box.SetSize(353, 22);
  const Rect right = box.CaptionBounds();
  EXPECT_EQ(right, (Rect{18, 1, 352, 21}));
  box.SetAlignment(taLeftJustify);
  EXPECT_EQ(box.CaptionBounds(), (Rect{1, 1, 335, 21}));

  EXPECT_EQ(PlaceCaption(right, 12, avTop), (Rect{18, 1, 352, 13}));
  EXPECT_EQ(PlaceCaption(right, 12, avCenter), (Rect{18, 5, 352, 17}));
  EXPECT_EQ(PlaceCaption(right, 13, avCenter), (Rect{18, 4, 352, 17}));  // 8.5 truncates
  EXPECT_EQ(PlaceCaption(right, 12, avBottom), (Rect{18, 8, 352, 21}));
}

// The glyph's side moves the caption's rectangle; the text sits left-aligned in it, and
// right-aligned with right-to-left reading only in a control that reads right to left.
TEST(GlyphButtonLayout, CaptionAlignmentFollowsTheReadingOrderNotTheGlyphSide) {
  struct Case {
    TLeftRight alignment;
    bool rightToLeft;
    Rect box;
    bool alignRight;
  } cases[] = {
      {taRightJustify, false, {18, 5, 352, 17}, false},
      {taLeftJustify, false, {1, 5, 335, 17}, false},
      {taRightJustify, true, {1, 5, 335, 17}, true},
      {taLeftJustify, true, {18, 5, 352, 17}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.alignment << (c.rightToLeft ? " right to left" : ""));
    TRzCheckBox box;  // as chbAgree: 353 x 22, centred, a caption of one 12-pixel line
    box.SetSize(353, 22);
    box.SetAlignmentVertical(avCenter);
    box.SetAlignment(c.alignment);
    box.SetRightToLeft(c.rightToLeft);
    const CaptionPlan plan = box.PlanCaption(12);
    EXPECT_EQ(plan.box, c.box);
    EXPECT_EQ(plan.alignRight, c.alignRight);
    EXPECT_EQ(plan.rtlReading, c.rightToLeft);
  }
}

TEST(GlyphButtonLayout, FocusBorderIsCaptionWidthPlusThreeUpToTheFarEdge) {
  TRzCheckBox box;
  box.SetSize(353, 22);
  EXPECT_EQ(box.FocusBorder(100), (Rect{17, 0, 120, 22}));
  EXPECT_EQ(box.FocusBorder(400), (Rect{17, 0, 353, 22}));
  box.SetAlignment(taLeftJustify);  // the glyph's edge limits it
  EXPECT_EQ(box.FocusBorder(100), (Rect{0, 0, 103, 22}));
  EXPECT_EQ(box.FocusBorder(400), (Rect{0, 0, 340, 22}));

  EXPECT_EQ(TrimBlanks("  I agree \t"), "I agree");
  EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(GlyphButtonLayout, FocusDotsStartOnePixelAfterTheCorner) {
  std::set<std::pair<int, int>> dots;
  for (const Point& p : FocusDots({2, 0, 8, 4})) {
    EXPECT_TRUE(dots.insert({p.x, p.y}).second) << p.x << "," << p.y << " twice";
  }
  const std::set<std::pair<int, int>> expected = {
      {3, 0}, {5, 0}, {7, 0},  // top
      {3, 3}, {5, 3}, {7, 3},  // bottom, ending in the shared far corner
      {2, 1}, {2, 3},          // left
      {7, 1},                  // right; (7, 3) came with the bottom edge
  };
  EXPECT_EQ(dots, expected);
  EXPECT_TRUE(FocusDots({5, 5, 5, 9}).empty());
}

// --- Glyph choice ---------------------------------------------------------------------------------

TEST(GlyphButtonCells, CustomStripCells) {
  struct Radio {
    bool checked, enabled, pressed;
    int cell;
  } radio[] = {
      {false, true, false, 0}, {true, true, false, 1}, {false, true, true, 2}, {true, true, true, 3},
      {false, false, false, 4}, {true, false, false, 5}, {true, false, true, 5},  // disabled beats pressed
  };
  for (const Radio& c : radio) {
    SCOPED_TRACE(c.cell);
    EXPECT_EQ(RadioCell(c.checked, c.enabled, c.pressed), c.cell);
  }
  struct Box {
    TCheckBoxState state;
    bool enabled, pressed;
    int cell;
  } box[] = {
      {cbUnchecked, true, false, 0}, {cbChecked, true, false, 1}, {cbGrayed, true, false, 2},
      {cbUnchecked, true, true, 3},  {cbChecked, true, true, 4},  {cbGrayed, true, true, 5},
      {cbUnchecked, false, false, 6}, {cbChecked, false, false, 7}, {cbGrayed, false, false, 8},
      {cbGrayed, false, true, 8},
  };
  for (const Box& c : box) {
    SCOPED_TRACE(c.cell);
    EXPECT_EQ(CheckBoxCell(c.state, c.enabled, c.pressed), c.cell);
  }
}

TEST(GlyphButtonCells, StandardGlyphLook) {
  struct Case {
    bool enabled, pressed, over;
    Look look;
  } cases[] = {
      {true, false, false, Look::kNormal},   {true, false, true, Look::kHot},
      {true, true, false, Look::kPressed},   {true, true, true, Look::kPressed},  // pressed beats hot
      {false, false, true, Look::kDisabled}, {false, true, true, Look::kDisabled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.look));
    StandardGlyph g = ChooseStandardGlyph(Mark::kMixed, c.enabled, c.pressed, c.over);
    EXPECT_EQ(g.look, c.look);
    EXPECT_EQ(g.mark, Mark::kMixed);
  }
  TRzCheckBox box;
  box.SetAllowGrayed(true);
  box.SetState(cbGrayed);
  EXPECT_EQ(box.StandardGlyphState().mark, Mark::kMixed);
}

TEST(GlyphButtonCells, StripSizeGivesTheCellSize) {
  TRzRadioButton radio;
  radio.BackgroundTaken();
  radio.SetCustomGlyphs(78, 13);  // the wizard's strip
  EXPECT_TRUE(radio.UseCustomGlyphs());
  EXPECT_EQ(radio.CellCount(), 6);
  EXPECT_EQ(radio.GlyphWidth(), 13);
  EXPECT_EQ(radio.GlyphHeight(), 13);
  EXPECT_TRUE(radio.BackgroundStale());
  radio.SetChecked(true);
  radio.SetEnabled(false);
  EXPECT_EQ(radio.GlyphCell(), 5);

  TRzCheckBox box;
  box.SetCustomGlyphs(9 * 16, 16);
  EXPECT_EQ(box.GlyphWidth(), 16);
  box.SetCustomGlyphs(9 * 20 + 8, 20);  // a new strip while custom glyphs are on; width truncates
  EXPECT_EQ(box.GlyphWidth(), 20);
  EXPECT_EQ(box.GlyphHeight(), 20);
  box.SetCustomGlyphs(0, 0);  // empty: back to the standard glyph
  EXPECT_FALSE(box.UseCustomGlyphs());
  EXPECT_EQ(box.GlyphWidth(), 13);
  EXPECT_EQ(box.GlyphHeight(), 13);
}

TEST(GlyphButtonCells, BackgroundIsTakenAgainAfterChangesBehindOrAroundIt) {
  struct Case {
    const char* what;
    void (*change)(TRzCheckBox&);
    bool stale;
  } cases[] = {
      {"enabled", [](TRzCheckBox& b) { b.SetEnabled(false); }, true},
      {"resize", [](TRzCheckBox& b) { b.SetSize(50, 20); }, true},
      {"transparent", [](TRzCheckBox& b) { b.SetTransparent(true); }, true},
      {"strip", [](TRzCheckBox& b) { b.SetCustomGlyphs(117, 13); }, true},
      {"parent colour", [](TRzCheckBox& b) { b.SetColor(0x00C0C0C0); }, true},
      {"erase", [](TRzCheckBox& b) { b.MarkBackgroundStale(); }, true},
      {"caption", [](TRzCheckBox& b) { b.SetCaption("x"); }, false},
      {"checked", [](TRzCheckBox& b) { b.SetChecked(true); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRzCheckBox box;
    EXPECT_TRUE(box.BackgroundStale());  // nothing taken yet
    box.SetSize(40, 15);
    box.BackgroundTaken();
    c.change(box);
    EXPECT_EQ(box.BackgroundStale(), c.stale);
  }
}

// --- Pixels ---------------------------------------------------------------------------------------

constexpr TColor kBlue = 0x00FF0000;
constexpr TColor kPicture = 0x00336699;  // what lies behind: RGB(153, 102, 51)
constexpr TColor kFrame = 0x00808080;
constexpr TColor kWhite = 0x00FFFFFF;
constexpr TColor kFace = 0x00F0F0F0;

GlyphColors WizardRadioColors() {
  GlyphColors c;
  c.color = kWhite;
  c.transparentColor = clFuchsia;
  c.winMaskColor = clFuchsia;
  c.frameColor = kFrame;
  c.window = kWhite;
  c.btnFace = kFace;
  return c;
}

// A cell of the wizard's radio strip, reduced to a blue square with fuchsia in a corner and on the
// rim, and one pixel of the button face colour.
Pixels WizardRadioCell() {
  Pixels cell(13, 13, kBlue);
  cell.at(0, 0) = clFuchsia;
  cell.at(4, 0) = clFuchsia;
  cell.at(6, 6) = kFace;
  return cell;
}

TEST(GlyphButtonPixels, TransparentCustomRadioWithoutVisualStyles) {
  Pixels b = ComposeGlyph(WizardRadioCell(), Pixels(13, 13, kPicture), {true, true, true, false},
                          WizardRadioColors());
  EXPECT_EQ(b.at(0, 0), kPicture);  // the fuchsia corner lets the picture through
  EXPECT_EQ(b.at(6, 6), kFace);
  EXPECT_EQ(b.at(5, 5), kBlue);
  // The rim pixel shows the picture, blended halfway toward the frame:
  // (128 * 128 + 127 * 153) / 255 = 140.45, (128 * 128 + 127 * 102) / 255 = 115.05,
  // (128 * 128 + 127 * 51) / 255 = 89.65.
  EXPECT_EQ(b.at(4, 0), 0x005A738Cu);
}

TEST(GlyphButtonPixels, TransparentCustomRadioWithVisualStyles) {
  // The key is the button face: the fuchsia corners survive the keyed draw and become window white.
  Pixels b = ComposeGlyph(WizardRadioCell(), Pixels(13, 13, kPicture), {true, true, true, true},
                          WizardRadioColors());
  EXPECT_EQ(b.at(0, 0), kWhite);
  EXPECT_EQ(b.at(6, 6), kPicture);  // the face-coloured pixel is left out
  // White on the rim, softened after the mask: (128 * 128 + 127 * 255) / 255 = 191.25.
  EXPECT_EQ(b.at(4, 0), 0x00BFBFBFu);
}

TEST(GlyphButtonPixels, OpaqueGlyphTakesColorAndKeepsItsRim) {
  Pixels glyph(13, 13, kBlue);
  glyph.at(0, 0) = clOlive;
  glyph.at(4, 0) = clLime;
  GlyphColors colors;
  colors.color = 0x00123456;
  colors.transparentColor = clOlive;
  colors.winMaskColor = clLime;
  colors.window = kWhite;
  colors.frameColor = kFrame;

  Pixels standard = ComposeGlyph(glyph, Pixels(13, 13, kPicture), {false, false, true, false}, colors);
  EXPECT_EQ(standard.at(0, 0), 0x00123456u);
  EXPECT_EQ(standard.at(4, 0), clLime);  // the mask colour counts only for custom glyphs; no softening
  EXPECT_EQ(standard.at(5, 5), kBlue);

  Pixels custom = ComposeGlyph(glyph, Pixels(13, 13, kPicture), {false, true, true, false}, colors);
  EXPECT_EQ(custom.at(4, 0), kWhite);
}

TEST(GlyphButtonPixels, KeyedDrawIgnoresTheTopByte) {
  Pixels glyph(2, 1, 0xFF000000u | clOlive);  // as read from a DIB with alpha
  glyph.at(1, 0) = 0xFF000000u | kBlue;
  Pixels behind(2, 1, kPicture);
  DrawKeyed(behind, glyph, GlyphKeyColor(false, kFace, clOlive));
  EXPECT_EQ(behind.at(0, 0), kPicture);
  EXPECT_EQ(behind.at(1, 0), kBlue);
  EXPECT_EQ(GlyphKeyColor(true, kFace, clOlive), kFace);
}

TEST(GlyphButtonPixels, RimBlendRoundsToNearest) {
  // Frame RGB(1, 0, 100) over RGB(0, 1, 255). The exact blend is a fraction over 255, never a tie;
  // these channels sit closest to one: 128 / 255 = 0.502 rounds up, 127 / 255 = 0.498 down.
  constexpr TColor frame = 0x00640001;
  constexpr TColor pixel = 0x00FF0100;
  Pixels image(13, 13, pixel);
  SoftenRadioRim(image, frame);
  // a = 128: R 128 / 255 -> 1, G 127 / 255 -> 0, B (12800 + 32385) / 255 = 177.2 -> 177.
  constexpr TColor half = 0x00B10001;
  // a = 40: R 40 / 255 -> 0, G 215 / 255 -> 1, B (4000 + 54825) / 255 = 230.7 -> 231.
  constexpr TColor faint = 0x00E70100;
  EXPECT_EQ(image.at(4, 0), half);
  EXPECT_EQ(image.at(3, 0), faint);

  // Every softened pixel is one of the two, and the rim has the circle's symmetry.
  int halves = 0, faints = 0;
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 13; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      TColor p = image.at(x, y);
      ASSERT_TRUE(p == pixel || p == half || p == faint);
      halves += p == half;
      faints += p == faint;
      EXPECT_EQ(image.at(12 - x, y), p);
      EXPECT_EQ(image.at(x, 12 - y), p);
      EXPECT_EQ(image.at(y, x), p);
    }
  }
  EXPECT_EQ(halves, 16);
  EXPECT_EQ(faints, 8);

  Pixels small(4, 4, pixel);  // a smaller custom cell: the pixels outside are skipped
  SoftenRadioRim(small, frame);
  EXPECT_EQ(small.at(3, 0), faint);
}

// --- Behaviour ------------------------------------------------------------------------------------

// The window: it owns the focus and, like the platform, reports a change of focus synchronously.
struct FakeWindow {
  TRzCustomGlyphButton* focused = nullptr;
  bool visualStyles = false;

  void Focus(TRzCustomGlyphButton* button) {
    if (button == focused) return;
    TRzCustomGlyphButton* old = focused;
    focused = button;
    if (old) old->FocusLost();
    if (button) button->FocusGained();
  }
};

class FakeHost : public IGlyphButtonHost {
 public:
  FakeHost(FakeWindow& window, TRzCustomGlyphButton& button) : window_(window), button_(button) {
    button.SetHost(this);
  }
  void Repaint() override { ++repaints; }
  void RepaintGlyph() override { ++glyphRepaints; }
  void TakeFocus() override {
    if (CanFocus()) window_.Focus(&button_);
  }
  bool HasFocus() const override { return window_.focused == &button_; }
  bool CanFocus() const override { return canFocus && button_.Enabled(); }
  bool VisualStylesActive() const override { return window_.visualStyles; }

  bool canFocus = true;
  int repaints = 0;
  int glyphRepaints = 0;

 private:
  FakeWindow& window_;
  TRzCustomGlyphButton& button_;
};

// A page with a check box and the two location radio buttons, rb1 checked.
class GlyphButtonPage : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetSize(169, 18);
    rb1.SetSize(169, 18);
    rb2.SetSize(169, 18);
    group.Add(rb1);
    group.Add(rb2);
    rb1.SetChecked(true);
    box.OnClick = [this] { log.push_back(std::string("box ") + "UCG"[box.State()]); };
    rb1.OnClick = [this] { log.push_back(std::string("rb1, rb2 ") + (rb2.Checked() ? "on" : "off")); };
    rb2.OnClick = [this] { log.push_back(std::string("rb2, rb1 ") + (rb1.Checked() ? "on" : "off")); };
  }

  static void Click(TRzCustomGlyphButton& b) {
    b.MouseDown(MB::mbLeft, 5, 5);
    b.MouseUp(MB::mbLeft, 5, 5);
  }

  FakeWindow window;
  TRzCheckBox box;
  TRzRadioButton rb1, rb2;
  TRadioSiblings group;
  FakeHost boxHost{window, box}, rb1Host{window, rb1}, rb2Host{window, rb2};
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(GlyphButtonPage, ClickingARadioButtonUnchecksItsSiblingFirst) {
  Click(rb1);  // already checked
  EXPECT_EQ(log, Log{});
  EXPECT_TRUE(rb1.TabStop());
  EXPECT_FALSE(rb2.TabStop());

  Click(rb2);
  EXPECT_EQ(log, Log{"rb2, rb1 off"});
  EXPECT_TRUE(rb2.Checked());
  EXPECT_FALSE(rb1.Checked());
  EXPECT_TRUE(rb2.TabStop());
  EXPECT_FALSE(rb1.TabStop());

  // Code does the same as the user; unchecking fires nothing.
  log.clear();
  rb1.SetChecked(true);
  rb1.SetChecked(false);
  EXPECT_EQ(log, Log{"rb1, rb2 off"});
  EXPECT_FALSE(rb2.Checked());
}

TEST_F(GlyphButtonPage, FocusFromTheKeyboardChecksARadioButtonFocusFromTheMouseDoesNot) {
  rb2.MouseDown(MB::mbLeft, 5, 5);
  EXPECT_EQ(window.focused, &rb2);
  EXPECT_FALSE(rb2.Checked());  // the press takes the focus, the release decides
  EXPECT_TRUE(rb2.Pressed());
  rb2.MouseUp(MB::mbLeft, 5, 5);
  EXPECT_TRUE(rb2.Checked());
  EXPECT_FALSE(rb2.MouseInUse());

  window.Focus(&rb1);  // an arrow key after the click
  EXPECT_TRUE(rb1.Checked());
  EXPECT_FALSE(rb2.Checked());
  EXPECT_EQ(log, (Log{"rb2, rb1 off", "rb1, rb2 off"}));
}

TEST_F(GlyphButtonPage, DoubleClickIsAFurtherPress) {
  box.MouseDown(MB::mbLeft, 5, 5);
  box.MouseUp(MB::mbLeft, 5, 5);
  box.DoubleClick(MB::mbLeft, 5, 5);
  box.MouseUp(MB::mbLeft, 5, 5);
  EXPECT_EQ(log, (Log{"box C", "box U"}));

  int doubleClicks = 0;
  rb2.OnDblClick = [&] { ++doubleClicks; };
  rb2.MouseDown(MB::mbLeft, 5, 5);
  rb2.MouseUp(MB::mbLeft, 5, 5);
  rb2.DoubleClick(MB::mbLeft, 5, 5);
  rb2.MouseUp(MB::mbLeft, 5, 5);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(log, (Log{"box C", "box U", "rb2, rb1 off"}));
}

TEST_F(GlyphButtonPage, CheckedFromCodeFiresOnClickAfterRepainting) {
  int repaintsAtClick = -1;
  box.OnClick = [&] { repaintsAtClick = boxHost.repaints; };
  box.SetChecked(true);
  EXPECT_EQ(repaintsAtClick, 1);
  EXPECT_EQ(box.State(), cbChecked);

  repaintsAtClick = -1;
  box.SetChecked(true);
  EXPECT_EQ(repaintsAtClick, -1);

  box.SetState(cbGrayed);
  EXPECT_FALSE(box.Checked());
  repaintsAtClick = -1;
  box.SetChecked(false);
  EXPECT_NE(repaintsAtClick, -1);
  EXPECT_EQ(box.State(), cbUnchecked);
}

TEST_F(GlyphButtonPage, ClicksCycleThroughGrayedOnlyWhenAllowed) {
  for (bool allowGrayed : {false, true}) {
    SCOPED_TRACE(allowGrayed);
    box.SetState(cbUnchecked);
    box.SetAllowGrayed(allowGrayed);
    log.clear();
    for (int i = 0; i < 3; ++i) Click(box);
    EXPECT_EQ(log, (allowGrayed ? Log{"box G", "box C", "box U"} : Log{"box C", "box U", "box C"}));
  }
}

TEST_F(GlyphButtonPage, ReleasingOutsideLeavesTheState) {
  box.MouseDown(MB::mbLeft, 5, 5);
  box.MouseMove(169, 5);  // one past the right edge
  EXPECT_FALSE(box.Pressed());
  box.MouseUp(MB::mbLeft, 169, 5);
  EXPECT_EQ(box.State(), cbUnchecked);
  EXPECT_FALSE(box.Tracking());

  box.MouseDown(MB::mbLeft, 5, 5);
  box.MouseMove(5, -1);
  box.MouseMove(168, 17);  // back in, on the last pixel
  EXPECT_TRUE(box.Pressed());
  box.MouseUp(MB::mbLeft, 168, 17);
  EXPECT_EQ(log, Log{"box C"});
  EXPECT_FALSE(box.Pressed());
}

TEST_F(GlyphButtonPage, SpaceTogglesOnReleaseUnlessEscapeCameBetween) {
  window.Focus(&box);
  box.KeyDown(TRzCustomButton::kKeySpace);
  EXPECT_TRUE(box.Pressed());
  box.KeyUp(TRzCustomButton::kKeySpace);
  EXPECT_EQ(log, Log{"box C"});
  EXPECT_FALSE(box.Pressed());

  box.KeyDown(TRzCustomButton::kKeySpace);
  box.KeyDown(TRzCustomButton::kKeyEscape);
  EXPECT_FALSE(box.Pressed());
  box.KeyUp(TRzCustomButton::kKeySpace);
  EXPECT_EQ(log, Log{"box C"});

  box.KeyDown(TRzCustomButton::kKeySpace);
  window.Focus(&rb1);  // losing the focus ends the pressed look
  EXPECT_FALSE(box.Pressed());
}

TEST_F(GlyphButtonPage, AccessKeys) {
  box.SetCaption("I &agree");
  EXPECT_FALSE(box.AccessKey('g'));
  EXPECT_TRUE(box.AccessKey('A'));  // case-insensitive: takes the focus and toggles
  EXPECT_EQ(window.focused, &box);
  EXPECT_EQ(log, Log{"box C"});

  rb2.SetCaption("&Custom");
  rb2Host.canFocus = false;  // on a hidden page, say: the key goes on to other controls
  EXPECT_FALSE(rb2.AccessKey('c'));
  EXPECT_FALSE(rb2.Checked());
  rb2Host.canFocus = true;
  EXPECT_TRUE(rb2.AccessKey('c'));
  EXPECT_TRUE(rb2.Checked());
  EXPECT_EQ(log, (Log{"box C", "rb2, rb1 off"}));
}

TEST_F(GlyphButtonPage, MouseEnterAndLeaveRepaintTheGlyphOnlyWithVisualStyles) {
  std::vector<std::string> events;
  box.OnMouseEnter = [&] { events.push_back("enter"); };
  box.OnMouseLeave = [&] { events.push_back("leave"); };
  box.MouseEnter();
  EXPECT_TRUE(box.MouseOver());
  box.MouseLeave();
  EXPECT_EQ(boxHost.glyphRepaints, 0);
  window.visualStyles = true;
  box.MouseEnter();
  EXPECT_EQ(box.StandardGlyphState().look, Look::kHot);
  box.MouseLeave();
  EXPECT_FALSE(box.MouseOver());
  EXPECT_EQ(boxHost.glyphRepaints, 2);
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave", "enter", "leave"}));
}

}  // namespace
}  // namespace velmora::ui
