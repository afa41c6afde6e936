#include "ui/BmpButton.h"

#include "ui/AccessKey.h"

namespace velmora::ui {

namespace {

using BS = TBmpButtonState;

TBmpRect Inflated(const TBmpRect& r, int d) { return {r.left - d, r.top - d, r.right + d, r.bottom + d}; }

TBmpRect Moved(const TBmpRect& r, int dx, int dy) {
  return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace

// --- bitmaps ---

TBmpSize TRzButtonBitmaps::Size(TBmpSlot slot) const {
  if (slot == TBmpSlot::GeneratedDisabled) slot = TBmpSlot::Up;
  if (slot == TBmpSlot::None) return {};
  return sizes_[static_cast<int>(slot) - static_cast<int>(TBmpSlot::Up)];
}

void TRzButtonBitmaps::SetSize(TBmpSlot slot, TBmpSize size) {
  if (slot == TBmpSlot::None || slot == TBmpSlot::GeneratedDisabled) return;
  TBmpSize& stored = sizes_[static_cast<int>(slot) - static_cast<int>(TBmpSlot::Up)];
  if (stored == size) return;
  stored = size;
  Changed();
}

void TRzButtonBitmaps::SetTransparentColor(TColor color) {
  if (transparentColor_ == color) return;
  transparentColor_ = color;
  Changed();
}

void TRzButtonBitmaps::Changed() {
  if (OnChange) OnChange();
}

// --- layout ---

TBmpLayoutRects LayoutBitmapAndCaption(const TBmpRect& paint, TBmpSize bitmap, TBmpSize caption,
                                       TButtonLayout layout, int margin, int spacing) {
  const int w = paint.Width(), h = paint.Height();
  const int bw = bitmap.width, bh = bitmap.height;
  const int tw = caption.width, th = caption.height;
  const bool horizontal = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;

  int bx = 0, by = 0, cx = 0, cy = 0;
  if (horizontal) {
    by = h / 2 - bh / 2;
    cy = h / 2 - th / 2;
  } else {
    bx = w / 2 - bw / 2;
    cx = w / 2 - tw / 2;
  }

  // No gap without both a bitmap and a caption, so either one alone centres exactly.
  if (tw == 0 || bw == 0) spacing = 0;

  const int room = horizontal ? w : h;
  const int bitmapLength = horizontal ? bw : bh;
  const int captionLength = horizontal ? tw : th;
  if (margin == -1 && spacing == -1) {
    margin = (room - bitmapLength - captionLength) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = room / 2 - (bitmapLength + spacing + captionLength) / 2;
  } else if (spacing == -1) {
    spacing = (room - margin - bitmapLength) / 2 - captionLength / 2;
  }

  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      bx = margin;
      cx = bx + bw + spacing;
      break;
    case TButtonLayout::blGlyphRight:
      bx = w - margin - bw;
      cx = bx - spacing - tw;
      break;
    case TButtonLayout::blGlyphTop:
      by = margin;
      cy = by + bh + spacing;
      break;
    case TButtonLayout::blGlyphBottom:
      by = h - margin - bh;
      cy = by - spacing - th;
      break;
  }

  TBmpLayoutRects rects;
  rects.caption = Moved({cx, cy, cx + tw, cy + th}, paint.left, paint.top);
  rects.hasBitmap = bw != 0 && bh != 0;
  if (rects.hasBitmap) rects.bitmap = Moved({bx, by, bx + bw, by + bh}, paint.left, paint.top);
  return rects;
}

bool DownPatternIsWhite(int x, int y) { return ((x ^ y) & 1) == 0; }

// --- button ---

TRzBmpButton::TRzBmpButton(IBmpButtonHost& host) : host_(host) {
  bitmaps_.OnChange = [this] { BitmapsChanged(); };
}

bool TRzBmpButton::NewStyle() const {
  return buttonStyle_ == TButtonStyle::bsNew ||
         (buttonStyle_ == TButtonStyle::bsAutoDetect && host_.HasNewStyleControls());
}

int TRzBmpButton::BorderWidth() const {
  switch (buttonBorder_) {
    case TButtonBorder::bbNone:
      return 0;
    case TButtonBorder::bbSingle:
      return 1;
    case TButtonBorder::bbButton:
      return NewStyle() ? 2 : 3;
  }
  return 0;
}

bool TRzBmpButton::ApplyAutoSize() {
  if (host_.IsLoading() || buttonSize_ == TBtnSize::bszNeither || bitmaps_.IsEmpty(TBmpSlot::Up)) {
    return false;
  }
  // Stretched and tiled bitmaps follow the button, whose size stays the owner's.
  if (buttonSize_ == TBtnSize::bszButtonToBitmap) {
    const TBmpSize up = bitmaps_.Size(TBmpSlot::Up);
    const int b = BorderWidth();
    const int w = up.width + 2 * b, h = up.height + 2 * b;
    if (w != width_ || h != height_) {
      // Stored first: the window may report the new size back through Resized at once.
      width_ = w;
      height_ = h;
      host_.Resize(w, h);
    }
  }
  host_.Repaint();
  return true;
}

void TRzBmpButton::BitmapsChanged() {
  if (!ApplyAutoSize()) host_.Repaint();
}

void TRzBmpButton::Loaded() { ApplyAutoSize(); }

void TRzBmpButton::Resized(int width, int height) {
  width_ = width;
  height_ = height;
  ApplyAutoSize();
}

void TRzBmpButton::SetSize(int width, int height) {
  if (width != width_ || height != height_) {
    width_ = width;
    height_ = height;
    host_.Resize(width, height);
  }
  ApplyAutoSize();
}

// --- setters ---

void TRzBmpButton::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  host_.Repaint();
}

void TRzBmpButton::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  host_.Repaint();
}

void TRzBmpButton::SetButtonBorder(TButtonBorder border) {
  if (buttonBorder_ == border) return;
  buttonBorder_ = border;
  if (!ApplyAutoSize()) host_.Repaint();
}

void TRzBmpButton::SetButtonSize(TBtnSize size) {
  if (buttonSize_ == size) return;
  buttonSize_ = size;
  if (!ApplyAutoSize()) host_.Repaint();
}

void TRzBmpButton::SetButtonStyle(TButtonStyle style) {
  if (buttonStyle_ == style) return;
  buttonStyle_ = style;
  if (!ApplyAutoSize()) host_.Repaint();
}

void TRzBmpButton::SetLayout(TButtonLayout layout) {
  if (layout_ == layout) return;
  layout_ = layout;
  host_.Repaint();
}

void TRzBmpButton::SetMargin(int margin) {
  if (margin < -1 || margin_ == margin) return;
  margin_ = margin;
  host_.Repaint();
}

void TRzBmpButton::SetSpacing(int spacing) {
  if (spacing_ == spacing) return;
  spacing_ = spacing;
  host_.Repaint();
}

void TRzBmpButton::SetCaptionDownOffset(int offset) {
  if (captionDownOffset_ == offset) return;
  captionDownOffset_ = offset;
  host_.Repaint();
}

void TRzBmpButton::SetShowFocus(bool show) {
  if (showFocus_ == show) return;
  showFocus_ = show;
  host_.Repaint();
}

void TRzBmpButton::SetShowDownPattern(bool show) {
  if (showDownPattern_ == show) return;
  showDownPattern_ = show;
  host_.Repaint();
}

void TRzBmpButton::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  host_.Repaint();
}

// --- group mode ---

void TRzBmpButton::UpdateGroup() {
  if (groupIndex_ != 0) {
    host_.SendGroupMessage(groupIndex_, this);
  } else {
    state_ = BS::bsUp;
  }
}

void TRzBmpButton::SetGroupIndex(int index) {
  if (groupIndex_ == index) return;
  groupIndex_ = index;
  UpdateGroup();
  host_.Repaint();
}

void TRzBmpButton::SetAllowAllUp(bool allow) {
  if (allowAllUp_ == allow) return;
  allowAllUp_ = allow;
  UpdateGroup();
  host_.Repaint();
}

void TRzBmpButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  // The down button of a group can only be raised by another one going down, unless the group
  // allows all buttons up.
  if (down_ && !allowAllUp_) return;
  down_ = down;
  state_ = down ? BS::bsExclusive : BS::bsUp;
  host_.Repaint();
  if (down) host_.SendGroupMessage(groupIndex_, this);
}

void TRzBmpButton::HandleGroupMessage(int groupIndex, TRzBmpButton* sender) {
  if (sender == this || sender == nullptr || groupIndex != groupIndex_) return;
  if (sender->Down() && down_) {
    down_ = false;
    state_ = BS::bsUp;
    host_.Repaint();
  }
  // Copied directly: going through the setter would echo the message back to the group.
  allowAllUp_ = sender->AllowAllUp();
}

// --- input ---

void TRzBmpButton::Click() {
  host_.SetModalResult(modalResult_);
  if (OnClick) OnClick();
}

void TRzBmpButton::MouseDown(TBmpMouseButton button, int, int) {
  if (enabled_ && !host_.HasFocus() && host_.WindowVisible()) host_.TakeFocus();
  // A button that could not take the focus does not press.
  if (button != TBmpMouseButton::mbLeft || !enabled_ || !host_.HasFocus()) return;
  if (!down_) {
    state_ = BS::bsDown;
    host_.Repaint();
  }
  tracking_ = true;
}

void TRzBmpButton::MouseMove(int x, int y) {
  if (!tracking_) return;
  // Outside the button it shows up until the pointer comes back; the press is still on.
  BS next = down_ ? BS::bsExclusive : Inside(x, y) ? BS::bsDown : BS::bsUp;
  if (next == state_) return;
  state_ = next;
  host_.Repaint();
}

void TRzBmpButton::MouseUp(TBmpMouseButton, int x, int y) {
  // Any button's release ends a press in progress.
  if (!tracking_) return;
  tracking_ = false;
  const bool inside = Inside(x, y);
  if (groupIndex_ == 0) {
    state_ = BS::bsUp;
    host_.Repaint();
  } else if (inside) {
    SetDown(!down_);
  } else if (down_) {
    state_ = BS::bsExclusive;
    host_.Repaint();
  }
  // After the repaint, so the handler's work starts with the button drawn released.
  if (inside) Click();
}

void TRzBmpButton::DoubleClick(int x, int y) {
  MouseDown(TBmpMouseButton::mbLeft, x, y);
  if (down_ && OnDblClick) OnDblClick();
}

void TRzBmpButton::KeyDown(int key) {
  if (key == kKeyEnter) {
    Click();
    return;
  }
  if (key != kKeySpace || !enabled_) return;
  if (!down_) {
    state_ = BS::bsDown;
    host_.Repaint();
  }
  tracking_ = true;
}

void TRzBmpButton::KeyUp(int) {
  // The release of whatever key comes first ends a Space press, not only Space's own.
  if (!tracking_) return;
  tracking_ = false;
  state_ = BS::bsUp;
  host_.Repaint();
  Click();
}

bool TRzBmpButton::AccessKey(int ch) {
  if (!IsAccessKey(caption_, ch)) return false;
  // A hidden or disabled button lets the search go on to the next control.
  if (!enabled_ || !visible_ || !host_.CanFocus()) return false;
  Click();
  return true;
}

void TRzBmpButton::MouseEnter() {
  hot_ = true;
  if (OnMouseEnter) OnMouseEnter();
  if (!bitmaps_.IsEmpty(TBmpSlot::Hot)) host_.Repaint();
}

void TRzBmpButton::MouseLeave() {
  hot_ = false;
  if (OnMouseLeave) OnMouseLeave();
  if (!bitmaps_.IsEmpty(TBmpSlot::Hot)) host_.Repaint();
}

void TRzBmpButton::FocusGained() {
  focused_ = true;
  host_.Repaint();
}

void TRzBmpButton::FocusLost() {
  focused_ = false;
  host_.Repaint();
}

void TRzBmpButton::FontChanged() { host_.Repaint(); }

void TRzBmpButton::SystemColorsChanged() { host_.Repaint(); }

// --- paint ---

TBmpSlot TRzBmpButton::ChooseBitmap() const {
  const auto has = [this](TBmpSlot slot) { return !bitmaps_.IsEmpty(slot); };
  if (!has(TBmpSlot::Up) && !(state_ == BS::bsDisabled && has(TBmpSlot::Disabled))) {
    return TBmpSlot::None;
  }
  switch (state_) {
    case BS::bsUp:
      if (hot_ && has(TBmpSlot::Hot)) return TBmpSlot::Hot;
      if (focused_ && showFocus_ && has(TBmpSlot::UpAndFocused)) return TBmpSlot::UpAndFocused;
      return TBmpSlot::Up;
    case BS::bsDisabled:
      return has(TBmpSlot::Disabled) ? TBmpSlot::Disabled : TBmpSlot::GeneratedDisabled;
    case BS::bsDown:
      return has(TBmpSlot::Down) ? TBmpSlot::Down : TBmpSlot::Up;
    case BS::bsExclusive:
      if (has(TBmpSlot::StayDown)) return TBmpSlot::StayDown;
      return has(TBmpSlot::Down) ? TBmpSlot::Down : TBmpSlot::Up;
  }
  return TBmpSlot::Up;
}

TBmpButtonPaint TRzBmpButton::PlanPaint(int captionWidth, int captionHeight) {
  if (!enabled_) {
    state_ = BS::bsDisabled;
    tracking_ = false;
  } else if (state_ == BS::bsDisabled) {
    state_ = BS::bsUp;
  }
  const bool pressed = state_ == BS::bsDown || state_ == BS::bsExclusive;

  TBmpButtonPaint plan;
  plan.state = state_;
  plan.newStyle = NewStyle();
  plan.client = {0, 0, width_, height_};
  plan.color = color_;
  plan.transparentColor = bitmaps_.TransparentColor();

  TBmpRect p = plan.client;
  switch (buttonBorder_) {
    case TButtonBorder::bbNone:
      plan.background = TBmpBackground::bgParentImage;
      break;
    case TButtonBorder::bbSingle:
      plan.background = TBmpBackground::bgSingleFrame;
      p = Inflated(p, -1);
      break;
    case TButtonBorder::bbButton:
      plan.background = TBmpBackground::bgButtonFace;
      plan.facePressed = pressed;
      plan.faceFocused = focused_ && showFocus_;
      p = Inflated(p, -1);
      break;
  }
  plan.paint = p;

  if (state_ == BS::bsExclusive && buttonBorder_ != TButtonBorder::bbNone) {
    plan.hasStayDownFill = true;
    plan.stayDownPattern = showDownPattern_;
    plan.stayDownRect = plan.newStyle ? Moved(p, -1, -1) : TBmpRect{p.left - 2, p.top - 2, p.right + 1, p.bottom + 1};
  }

  plan.bitmap = ChooseBitmap();
  // Only a bitmap at its natural size takes room from the caption.
  const bool natural = buttonSize_ == TBtnSize::bszNeither && plan.bitmap != TBmpSlot::None;
  const TBmpSize bitmapSize = natural ? bitmaps_.Size(plan.bitmap) : TBmpSize{};
  const TBmpSize captionSize = caption_.empty() ? TBmpSize{} : TBmpSize{captionWidth, captionHeight};
  const TBmpLayoutRects rects = LayoutBitmapAndCaption(p, bitmapSize, captionSize, layout_, margin_, spacing_);

  if (plan.bitmap != TBmpSlot::None) {
    switch (buttonSize_) {
      case TBtnSize::bszNeither:
        plan.bitmapDraw = TBmpDraw::bdNatural;
        plan.bitmapRect = rects.bitmap;
        break;
      case TBtnSize::bszButtonToBitmap:
      case TBtnSize::bszStretchToButton:
        plan.bitmapDraw = TBmpDraw::bdStretch;
        plan.bitmapRect = p;
        break;
      case TBtnSize::bszTileToButton:
        plan.bitmapDraw = TBmpDraw::bdTile;
        plan.bitmapRect = p;
        break;
    }
  }

  if (!caption_.empty()) {
    plan.captionRect = rects.caption;
    plan.captionTextRect = rects.caption;
    if (state_ == BS::bsDisabled) {
      plan.caption = TBmpCaptionLook::cdDisabled;
      plan.captionShadowRect = Moved(rects.caption, 1, 1);
    } else if (pressed) {
      plan.caption = TBmpCaptionLook::cdPressed;
      plan.captionTextRect = Moved(rects.caption, captionDownOffset_, captionDownOffset_);
    } else {
      plan.caption = TBmpCaptionLook::cdNormal;
    }
    if (focused_ && showFocus_) {
      plan.hasFocusRect = true;
      plan.focusRect = Inflated(plan.captionTextRect, 2);
    }
  }
  return plan;
}

}  // namespace velmora::ui
