#include "ui/GlyphButton.h"

#include <algorithm>
#include <initializer_list>
#include <tuple>

#include "ui/AccessKey.h"

namespace velmora::ui {
namespace glyphbutton {
namespace {

// round(a/255 * frame + (1 - a/255) * pixel). The exact value is a fraction over 255, an odd
// number, so it never lies half-way and rounding to nearest needs no tie rule.
uint32_t BlendChannel(uint32_t frame, uint32_t pixel, uint32_t a) {
  uint32_t sum = a * frame + (255 - a) * pixel;
  return sum / 255 + (2 * (sum % 255) > 255 ? 1 : 0);
}

TColor Blend(TColor frame, TColor pixel, uint32_t a) {
  TColor out = 0;
  for (int shift : {0, 8, 16}) out |= BlendChannel((frame >> shift) & 0xFF, (pixel >> shift) & 0xFF, a) << shift;
  return out;
}

// The rim of the 13 x 13 circle: the pixels half covered by the ring, and the fainter ones
// beside them.
constexpr Point kRimHalf[] = {{4, 0},  {8, 0},  {2, 1},   {10, 1},  {1, 2},   {11, 2},  {0, 4},  {12, 4},
                              {0, 8},  {12, 8}, {1, 10},  {11, 10}, {2, 11},  {10, 11}, {4, 12}, {8, 12}};
constexpr Point kRimFaint[] = {{3, 0}, {9, 0}, {0, 3}, {12, 3}, {0, 9}, {12, 9}, {3, 12}, {9, 12}};


}  // namespace

int RadioCell(bool checked, bool enabled, bool pressed) {
  int row = !enabled ? 2 : pressed ? 1 : 0;
  return row * 2 + (checked ? 1 : 0);
}

int CheckBoxCell(TCheckBoxState state, bool enabled, bool pressed) {
  int row = !enabled ? 2 : pressed ? 1 : 0;
  return row * 3 + int(state);
}

StandardGlyph ChooseStandardGlyph(Mark mark, bool enabled, bool pressed, bool mouseOver) {
  Look look = !enabled ? Look::kDisabled : pressed ? Look::kPressed : mouseOver ? Look::kHot : Look::kNormal;
  return {mark, look};
}

bool CaptionOnRight(TLeftRight alignment, bool rightToLeft) { return (alignment == taRightJustify) != rightToLeft; }

Point GlyphPosition(int width, int height, int glyphWidth, int glyphHeight, bool captionOnRight,
                    TAlignmentVertical vertical) {
  Point p;
  p.x = captionOnRight ? 0 : width - glyphWidth;
  switch (vertical) {
    case avTop: p.y = 2; break;
    case avCenter: p.y = (height - glyphHeight) / 2; break;
    case avBottom: p.y = height - glyphHeight - 2; break;
  }
  return p;
}

Rect CaptionBounds(int width, int height, int glyphWidth, bool captionOnRight) {
  Rect r{1, 1, width - 1, height - 1};
  if (captionOnRight) {
    r.left += glyphWidth + 4;
  } else {
    r.right -= glyphWidth + 4;
  }
  return r;
}

Rect PlaceCaption(Rect r, int textHeight, TAlignmentVertical vertical) {
  switch (vertical) {
    case avTop:
      r.bottom = r.top + textHeight;
      break;
    case avCenter:
      r.top = (r.top + r.bottom - textHeight) / 2;
      r.bottom = r.top + textHeight;
      break;
    case avBottom:
      r.top = r.bottom - textHeight - 1;
      break;
  }
  return r;
}

std::string TrimBlanks(const std::string& caption) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t first = 0, last = caption.size();
  while (first < last && blank(caption[first])) ++first;
  while (last > first && blank(caption[last - 1])) --last;
  return caption.substr(first, last - first);
}

Rect FocusBorder(int width, int height, int glyphWidth, bool captionOnRight, int captionWidth) {
  Rect r;
  r.left = captionOnRight ? glyphWidth + 4 : 0;
  int farEdge = captionOnRight ? width : width - glyphWidth;
  r.right = r.left + std::min(farEdge - r.left, captionWidth + 3);
  r.bottom = height;
  return r;
}

std::vector<Point> FocusDots(const Rect& b) {
  std::vector<Point> dots;
  if (b.right <= b.left || b.bottom <= b.top) return dots;
  for (int x = b.left + 1; x < b.right; x += 2) {
    dots.push_back({x, b.top});
    dots.push_back({x, b.bottom - 1});
  }
  for (int y = b.top + 1; y < b.bottom; y += 2) {
    dots.push_back({b.left, y});
    dots.push_back({b.right - 1, y});
  }
  // Edges of a one- or two-pixel border, and the far corners, can be reached twice.
  auto key = [](const Point& p) { return std::make_tuple(p.y, p.x); };
  std::sort(dots.begin(), dots.end(), [&](const Point& l, const Point& r) { return key(l) < key(r); });
  dots.erase(std::unique(dots.begin(), dots.end()), dots.end());
  return dots;
}

TColor GlyphKeyColor(bool visualStylesActive, TColor btnFace, TColor transparentColor) {
  return visualStylesActive ? btnFace : transparentColor;
}

void ReplaceColor(Pixels& image, TColor from, TColor to) {
  for (TColor& p : image.data) {
    if (SameColor(p, from)) p = to & kRgbMask;
  }
}

void SoftenRadioRim(Pixels& image, TColor frame) {
  auto soften = [&](const Point& p, uint32_t a) {
    if (p.x < image.width && p.y < image.height) image.at(p.x, p.y) = Blend(frame, image.at(p.x, p.y), a);
  };
  for (const Point& p : kRimHalf) soften(p, 128);
  for (const Point& p : kRimFaint) soften(p, 40);
}

Pixels ComposeGlyph(const Pixels& glyph, const Pixels& behind, const GlyphComposition& how,
                    const GlyphColors& colors) {
  Pixels b;
  if (how.transparent) {
    b = behind;
    DrawKeyed(b, glyph, GlyphKeyColor(how.visualStylesActive, colors.btnFace, colors.transparentColor));
  } else {
    b = glyph;
    ReplaceColor(b, colors.transparentColor, colors.color);
  }
  if (how.useCustomGlyphs) ReplaceColor(b, colors.winMaskColor, colors.window);
  if (how.transparent && how.radio) SoftenRadioRim(b, colors.frameColor);
  return b;
}

}  // namespace glyphbutton

using namespace glyphbutton;

// TRzCustomButton

void TRzCustomButton::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Repaint();
}

void TRzCustomButton::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  backgroundStale_ = true;
  Repaint();
}

void TRzCustomButton::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  backgroundStale_ = true;
}

void TRzCustomButton::Repaint() {
  if (host_) host_->Repaint();
}

void TRzCustomButton::TakeFocus() {
  if (host_) host_->TakeFocus();
}

bool TRzCustomButton::HasFocus() const { return host_ && host_->HasFocus(); }
bool TRzCustomButton::CanFocus() const { return host_ && host_->CanFocus(); }
bool TRzCustomButton::VisualStylesActive() const { return host_ && host_->VisualStylesActive(); }

// TRzCustomGlyphButton

TRzCustomGlyphButton::TRzCustomGlyphButton(int cellCount, bool tabStop)
    : TRzCustomButton(tabStop), cellCount_(cellCount) {}

void TRzCustomGlyphButton::SetAlignment(TLeftRight alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Repaint();
}

void TRzCustomGlyphButton::SetAlignmentVertical(TAlignmentVertical vertical) {
  if (vertical == alignmentVertical_) return;
  alignmentVertical_ = vertical;
  Repaint();
}

void TRzCustomGlyphButton::SetRightToLeft(bool rightToLeft) {
  if (rightToLeft == rightToLeft_) return;
  rightToLeft_ = rightToLeft;
  Repaint();
}

void TRzCustomGlyphButton::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  MarkBackgroundStale();
  Repaint();
}

// With ParentColor the parent's colour arrives here, and a control that is not transparent fills
// its background with Color: either way the background is taken again.
void TRzCustomGlyphButton::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  MarkBackgroundStale();
  Repaint();
}

void TRzCustomGlyphButton::SetTransparentColor(TColor color) {
  if (color == transparentColor_) return;
  transparentColor_ = color;
  Repaint();
}

void TRzCustomGlyphButton::SetWinMaskColor(TColor color) {
  if (color == winMaskColor_) return;
  winMaskColor_ = color;
  Repaint();
}

void TRzCustomGlyphButton::SetFrameColor(TColor color) {
  if (color == frameColor_) return;
  frameColor_ = color;
  Repaint();
}

// Recomputed on every call, so a new strip of another size takes effect while custom glyphs are
// already on.
void TRzCustomGlyphButton::SetUseCustomGlyphs(bool use) {
  useCustomGlyphs_ = use;
  glyphWidth_ = use ? stripWidth_ / cellCount_ : kStandardGlyphSize;
  glyphHeight_ = use ? stripHeight_ : kStandardGlyphSize;
  Repaint();
}

void TRzCustomGlyphButton::SetCustomGlyphs(int stripWidth, int stripHeight) {
  stripWidth_ = stripWidth;
  stripHeight_ = stripHeight;
  MarkBackgroundStale();
  SetUseCustomGlyphs(stripWidth > 0 && stripHeight > 0);
}

void TRzCustomGlyphButton::MouseDown(MouseButton button, int, int) {
  mouseInUse_ = true;  // the focus arriving now comes from the mouse
  if (button != mbLeft || !Enabled()) return;
  TakeFocus();
  if (!HasFocus()) return;
  pressed_ = true;
  Repaint();
  tracking_ = true;
}

void TRzCustomGlyphButton::MouseMove(int x, int y) {
  if (!tracking_) return;
  bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
  if (inside == pressed_) return;
  pressed_ = inside;
  Repaint();
}

void TRzCustomGlyphButton::MouseUp(MouseButton, int x, int y) {
  if (tracking_) {
    tracking_ = false;
    pressed_ = false;
    if (x >= 0 && x < Width() && y >= 0 && y < Height()) Toggle();
    Repaint();
  }
  mouseInUse_ = false;
}

void TRzCustomGlyphButton::DoubleClick(MouseButton button, int x, int y) { MouseDown(button, x, y); }

void TRzCustomGlyphButton::MouseEnter() {
  mouseOver_ = true;
  if (OnMouseEnter) OnMouseEnter();
  if (VisualStylesActive() && Host()) Host()->RepaintGlyph();
}

void TRzCustomGlyphButton::MouseLeave() {
  mouseOver_ = false;
  if (OnMouseLeave) OnMouseLeave();
  if (VisualStylesActive() && Host()) Host()->RepaintGlyph();
}

void TRzCustomGlyphButton::KeyDown(int) {}
void TRzCustomGlyphButton::KeyUp(int) {}

void TRzCustomGlyphButton::Click() {
  if (Enabled()) Toggle();
}

bool TRzCustomGlyphButton::AccessKey(char typed) {
  if (!IsAccessKey(Caption(), typed) || !CanFocus()) return false;
  AccessKeyPressed();
  return true;
}

void TRzCustomGlyphButton::FocusGained() { Repaint(); }

void TRzCustomGlyphButton::FocusLost() {
  pressed_ = false;
  Repaint();
}

bool TRzCustomGlyphButton::CaptionOnRight() const { return glyphbutton::CaptionOnRight(alignment_, rightToLeft_); }

Point TRzCustomGlyphButton::GlyphOrigin() const {
  return GlyphPosition(Width(), Height(), glyphWidth_, glyphHeight_, CaptionOnRight(), alignmentVertical_);
}

Rect TRzCustomGlyphButton::CaptionBounds() const {
  return glyphbutton::CaptionBounds(Width(), Height(), glyphWidth_, CaptionOnRight());
}

CaptionPlan TRzCustomGlyphButton::PlanCaption(int textHeight) const {
  glyphbutton::CaptionPlan plan;
  plan.box = PlaceCaption(CaptionBounds(), textHeight, alignmentVertical_);
  plan.alignRight = plan.rtlReading = rightToLeft_;
  return plan;
}

Rect TRzCustomGlyphButton::FocusBorder(int trimmedCaptionWidth) const {
  return glyphbutton::FocusBorder(Width(), Height(), glyphWidth_, CaptionOnRight(), trimmedCaptionWidth);
}

// TRzCustomCheckBox

void TRzCustomCheckBox::SetState(TCheckBoxState state) {
  if (state == state_) return;
  state_ = state;
  Repaint();
  if (OnClick) OnClick();
}

// The arming outlives the key-up: only Esc ends it.
void TRzCustomCheckBox::KeyDown(int key) {
  if (key == kKeySpace) {
    keyToggleArmed_ = true;
    SetPressed(true);
    Repaint();
  } else if (key == kKeyEscape) {
    keyToggleArmed_ = false;
    SetPressed(false);
    Repaint();
  }
}

void TRzCustomCheckBox::KeyUp(int key) {
  if (key != kKeySpace) return;
  SetPressed(false);
  if (keyToggleArmed_) Toggle();
  Repaint();
}

int TRzCustomCheckBox::GlyphCell() const { return CheckBoxCell(state_, Enabled(), Pressed()); }

StandardGlyph TRzCustomCheckBox::StandardGlyphState() const {
  Mark mark = state_ == cbChecked ? Mark::kChecked : state_ == cbGrayed ? Mark::kMixed : Mark::kUnchecked;
  return ChooseStandardGlyph(mark, Enabled(), Pressed(), MouseOver());
}

void TRzCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TRzCustomCheckBox::AccessKeyPressed() {
  TakeFocus();
  if (!HasFocus()) return;
  Toggle();
  Repaint();
}

// TRadioSiblings

TRadioSiblings::~TRadioSiblings() {
  for (TRzRadioButton* b : buttons_) b->siblings_ = nullptr;
}

void TRadioSiblings::Add(TRzRadioButton& button) {
  if (button.siblings_ == this) return;
  if (button.siblings_) button.siblings_->Remove(button);
  buttons_.push_back(&button);
  button.siblings_ = this;
}

void TRadioSiblings::Remove(TRzRadioButton& button) {
  buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), &button), buttons_.end());
  if (button.siblings_ == this) button.siblings_ = nullptr;
}

// TRzRadioButton

TRzRadioButton::~TRzRadioButton() {
  if (siblings_) siblings_->Remove(*this);
}

void TRzRadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  SetTabStop(checked);
  Repaint();
  if (!checked) return;
  if (siblings_) {
    for (TRzRadioButton* b : siblings_->Buttons()) {
      if (b != this) b->SetChecked(false);  // unchecking fires nothing
    }
  }
  if (OnClick) OnClick();
}

void TRzRadioButton::DoubleClick(MouseButton button, int x, int y) {
  TRzCustomGlyphButton::DoubleClick(button, x, y);
  if (button == mbLeft && OnDblClick) OnDblClick();
}

// Arrow keys and the access key select a radio button by moving the focus onto it; a mouse press
// also moves the focus, but there the click decides.
void TRzRadioButton::FocusGained() {
  if (!MouseInUse()) SetChecked(true);
  TRzCustomGlyphButton::FocusGained();
}

int TRzRadioButton::GlyphCell() const { return RadioCell(checked_, Enabled(), Pressed()); }

StandardGlyph TRzRadioButton::StandardGlyphState() const {
  return ChooseStandardGlyph(checked_ ? Mark::kChecked : Mark::kUnchecked, Enabled(), Pressed(), MouseOver());
}

void TRzRadioButton::Toggle() {
  if (!checked_) SetChecked(true);
}

void TRzRadioButton::AccessKeyPressed() { TakeFocus(); }

}  // namespace velmora::ui
