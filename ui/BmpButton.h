// A push button drawn entirely from bitmaps, one per look, with an optional caption over them: its
// properties, how it reacts to mouse, keyboard and focus, its automatic size, the stay-down group
// mode and a plan of what each paint draws. OS-independent: the window layer owns the real bitmaps,
// the window and the drawing, implements IBmpButtonHost and feeds the window's events in.
#pragma once

#include <functional>
#include <string>

#include "ui/Colour.h"

namespace velmora::ui {

enum class TButtonBorder { bbNone, bbSingle, bbButton };
enum class TBtnSize { bszNeither, bszButtonToBitmap, bszStretchToButton, bszTileToButton };
enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };
// Where the bitmap sits relative to the caption when it does not fill the button.
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The look being drawn; exclusive is held down in group mode.
enum class TBmpButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// A bitmap of the set. GeneratedDisabled is the grey embossed silhouette the window layer makes
// from Up when there is no Disabled bitmap; it has Up's size.
enum class TBmpSlot { None, Up, UpAndFocused, Disabled, Down, StayDown, Hot, GeneratedDisabled };

enum class TBmpMouseButton { mbLeft, mbRight, mbMiddle };

struct TBmpSize {
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const TBmpSize& o) const { return width == o.width && height == o.height; }
  bool operator!=(const TBmpSize& o) const { return !(*this == o); }
};

struct TBmpRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const TBmpRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const TBmpRect& o) const { return !(*this == o); }
};

// The state bitmaps as the model needs them: their sizes and the colour left out when drawing.
class TRzButtonBitmaps {
 public:
  static constexpr TColor kDefaultTransparentColor = clOlive;

  // 0 x 0 for an empty bitmap and for None.
  TBmpSize Size(TBmpSlot slot) const;
  bool IsEmpty(TBmpSlot slot) const { return Size(slot).Empty(); }
  // Records the size of a newly assigned bitmap; None and GeneratedDisabled are not stored.
  void SetSize(TBmpSlot slot, TBmpSize size);
  TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor color);
  // A bitmap got new content of the same size, which SetSize cannot tell.
  void Changed();

  // Fired when a size or the transparent colour changes.
  std::function<void()> OnChange;

 private:
  TBmpSize sizes_[6];  // Up, UpAndFocused, Disabled, Down, StayDown, Hot
  TColor transparentColor_ = kDefaultTransparentColor;
};

class TRzBmpButton;

// The group message the window layer delivers: first parameter the group, second the sender.
constexpr unsigned kBmpButtonGroupMessage = 0x2420;

// What the button asks of its window. The Win32 layer implements it; tests use a double.
class IBmpButtonHost {
 public:
  virtual ~IBmpButtonHost() = default;
  // Paints now: calls PlanPaint and draws the plan, so the look on screen follows at once.
  virtual void Repaint() = 0;
  // Moves the keyboard focus to the button; the window reports it back through FocusGained.
  virtual void TakeFocus() = 0;
  // The button's window holds the keyboard focus.
  virtual bool HasFocus() = 0;
  // The button and all its parents are visible and enabled.
  virtual bool CanFocus() = 0;
  // The window the button sits on is visible.
  virtual bool WindowVisible() = 0;
  // Sets the modal result of the window the button sits on.
  virtual void SetModalResult(int result) = 0;
  // Delivers the group message to every control of the button's parent in turn, the sender
  // included; each bitmap button receives it through HandleGroupMessage.
  virtual void SendGroupMessage(int groupIndex, TRzBmpButton* sender) = 0;
  // The platform draws controls in the new style (for bsAutoDetect).
  virtual bool HasNewStyleControls() = 0;
  // The owner is still setting the button's properties up; no automatic size until Loaded.
  virtual bool IsLoading() = 0;
  // Gives the window the automatic size; the model already holds it.
  virtual void Resize(int width, int height) = 0;
};

// Where bitmap and caption go inside the paint rectangle. The bitmap rectangle exists only when
// the bitmap size is non-zero both ways.
struct TBmpLayoutRects {
  TBmpRect bitmap;
  bool hasBitmap = false;
  TBmpRect caption;
};

// Places a bitmap of `bitmap` size and a caption of `caption` size in `paint` by `layout`.
// margin -1 centres the pair along the layout's axis; spacing -1 spreads the free room evenly.
// Division truncates toward zero.
TBmpLayoutRects LayoutBitmapAndCaption(const TBmpRect& paint, TBmpSize bitmap, TBmpSize caption,
                                       TButtonLayout layout, int margin, int spacing);

// The 8 x 8 brush shared by all buttons for the stay-down fill: white where x and y are both even
// or both odd, the button face colour elsewhere.
constexpr int kDownPatternSize = 8;
bool DownPatternIsWhite(int x, int y);

// After the parent has painted itself into a borderless button's image, the paint waits this long.
constexpr int kParentImagePauseMs = 10;

enum class TBmpBackground {
  bgParentImage,  // the parent paints what lies under the button into the image
  bgSingleFrame,  // `color` fill with a one-pixel black frame on the client rectangle
  bgButtonFace,   // the platform's button face on the client rectangle
};

enum class TBmpDraw {
  bdNone,
  bdNatural,  // at its own size in bitmapRect
  bdStretch,  // stretched over bitmapRect (the paint rectangle)
  bdTile,     // repeated from bitmapRect's top-left, cut at its edges
};

enum class TBmpCaptionLook {
  cdNone,
  cdNormal,    // font colour in captionTextRect
  cdPressed,   // font colour in captionTextRect, which carries the down offset
  cdDisabled,  // white in captionShadowRect, then grey in captionTextRect
};

// One paint of the button, composed in an off-screen image of `client` size, in this order:
// background, stay-down fill, bitmap, caption, focus rectangle.
struct TBmpButtonPaint {
  TBmpButtonState state = TBmpButtonState::bsUp;
  bool newStyle = false;
  TBmpRect client;
  TBmpBackground background = TBmpBackground::bgParentImage;
  TColor color = 0;          // bgSingleFrame's fill and the plain stay-down brush
  bool facePressed = false;  // bgButtonFace in its pressed form
  bool faceFocused = false;  // bgButtonFace with the focus indication
  TBmpRect paint;            // the client rectangle less the border
  bool hasStayDownFill = false;
  bool stayDownPattern = false;  // the shared pattern brush; otherwise `color`
  TBmpRect stayDownRect;
  TBmpSlot bitmap = TBmpSlot::None;
  TBmpDraw bitmapDraw = TBmpDraw::bdNone;
  TBmpRect bitmapRect;
  TColor transparentColor = TRzButtonBitmaps::kDefaultTransparentColor;
  TBmpCaptionLook caption = TBmpCaptionLook::cdNone;  // single line, centred, "&" underlines
  TBmpRect captionRect;        // from the layout
  TBmpRect captionTextRect;    // the main pass
  TBmpRect captionShadowRect;  // cdDisabled's white pass
  bool hasFocusRect = false;
  TBmpRect focusRect;  // the dotted focus frame
};

class TRzBmpButton {
 public:
  static constexpr TColor kCaptionHighlight = 0x00FFFFFF;  // disabled caption, first pass
  static constexpr TColor kCaptionGrey = 0x00808080;       // disabled caption, second pass
  static constexpr int kKeyEnter = 13;
  static constexpr int kKeySpace = 32;

  explicit TRzBmpButton(IBmpButtonHost& host);
  TRzBmpButton(const TRzBmpButton&) = delete;
  TRzBmpButton& operator=(const TRzBmpButton&) = delete;

  TRzButtonBitmaps& Bitmaps() { return bitmaps_; }
  const TRzButtonBitmaps& Bitmaps() const { return bitmaps_; }

  // Properties. Setters change nothing when the value is the same; otherwise they store it and
  // repaint, with the extra effects noted.
  const std::string& Caption() const { return caption_; }  // "&" marks the access key
  void SetCaption(const std::string& caption);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TButtonBorder ButtonBorder() const { return buttonBorder_; }
  void SetButtonBorder(TButtonBorder border);  // re-applies the automatic size
  TBtnSize ButtonSize() const { return buttonSize_; }
  void SetButtonSize(TBtnSize size);  // re-applies the automatic size
  TButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TButtonStyle style);  // re-applies the automatic size
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);  // values below -1 are ignored
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  int CaptionDownOffset() const { return captionDownOffset_; }
  void SetCaptionDownOffset(int offset);
  bool ShowFocus() const { return showFocus_; }
  void SetShowFocus(bool show);
  bool ShowDownPattern() const { return showDownPattern_; }
  void SetShowDownPattern(bool show);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);  // notifies the group
  bool Down() const { return down_; }
  // Group mode only; a down button stays down unless AllowAllUp. Going down raises the others.
  void SetDown(bool down);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow);  // notifies the group
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);  // the enabled state changed: repaint
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show) { showHint_ = show; }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The owner sizes the button: the host is told, then the automatic size applies as after any
  // resize.
  void SetSize(int width, int height);

  // Run-time state.
  TBmpButtonState State() const { return state_; }
  bool Hot() const { return hot_; }
  bool Focused() const { return focused_; }
  bool Tracking() const { return tracking_; }
  // New border geometry: bsNew, or bsAutoDetect where the platform has new-style controls.
  bool NewStyle() const;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  // Events from the window.
  void Loaded();                         // the owner finished setting up: automatic size
  void Resized(int width, int height);   // the window has a new size
  void MouseDown(TBmpMouseButton button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(TBmpMouseButton button, int x, int y);
  void DoubleClick(int x, int y);        // in place of the second left press
  void KeyDown(int key);                 // virtual-key code
  void KeyUp(int key);
  // A typed access key character; true when this button took it, which ends the search.
  bool AccessKey(int ch);
  void MouseEnter();
  void MouseLeave();
  void FocusGained();
  void FocusLost();
  void FontChanged();
  void SystemColorsChanged();
  // The group message from `sender`, delivered by the window layer.
  void HandleGroupMessage(int groupIndex, TRzBmpButton* sender);

  // Sets the window's modal result to ModalResult, then fires OnClick.
  void Click();

  // The paint of the current state for a caption measuring captionWidth x captionHeight in the
  // button's font (0 x 0 for no caption). Settles the state first: a disabled button is drawn
  // disabled and stops tracking; an enabled one leaves the disabled look.
  TBmpButtonPaint PlanPaint(int captionWidth, int captionHeight);

 private:
  // Border width the automatic size adds on each side.
  int BorderWidth() const;
  // Applies the automatic size and repaints; false when it does not apply.
  bool ApplyAutoSize();
  void BitmapsChanged();
  // Group mode: tells the group; plain mode: back to the up look.
  void UpdateGroup();
  bool Inside(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }
  TBmpSlot ChooseBitmap() const;

  IBmpButtonHost& host_;
  TRzButtonBitmaps bitmaps_;
  std::string caption_;
  TColor color_ = clBtnFace;
  TButtonBorder buttonBorder_ = TButtonBorder::bbNone;
  TBtnSize buttonSize_ = TBtnSize::bszButtonToBitmap;
  TButtonStyle buttonStyle_ = TButtonStyle::bsAutoDetect;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  int captionDownOffset_ = 1;
  bool showFocus_ = true;
  bool showDownPattern_ = true;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  int modalResult_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  std::string hint_;
  bool showHint_ = false;
  bool tabStop_ = true;
  int width_ = 80;
  int height_ = 30;

  TBmpButtonState state_ = TBmpButtonState::bsUp;
  bool hot_ = false;
  bool focused_ = false;
  bool tracking_ = false;
};

}  // namespace velmora::ui
