// The glyph check box and radio button without their window: properties, run-time state, what the
// mouse, the keyboard and the focus do to them, and the drawing decisions (which glyph, where, which
// pixels) that the Win32 layer carries out with its own window, theme and GDI calls.
// OS-independent.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Colour.h"
#include "ui/Pixels.h"

namespace velmora::ui {

// Side of the caption: taRightJustify puts it right of the glyph.
enum TLeftRight { taLeftJustify, taRightJustify };
enum TAlignmentVertical { avTop, avCenter, avBottom };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// Drawing decisions shared by both controls, kept apart from other widgets' helpers.
namespace glyphbutton {

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

constexpr int kStandardGlyphSize = 13;
constexpr int kRadioCells = 6;
constexpr int kCheckBoxCells = 9;

// Cell of a custom glyph strip. Disabled beats the pressed look; there is no hot cell.
int RadioCell(bool checked, bool enabled, bool pressed);
int CheckBoxCell(TCheckBoxState state, bool enabled, bool pressed);

// The platform's standard 13 x 13 glyph. Hot is used only with visual styles; the classic look
// shows mark, pushed (kPressed) and inactive (kDisabled).
enum class Mark { kUnchecked, kChecked, kMixed };
enum class Look { kNormal, kHot, kPressed, kDisabled };
struct StandardGlyph {
  Mark mark = Mark::kUnchecked;
  Look look = Look::kNormal;
};
// Disabled beats pressed, pressed beats hot.
StandardGlyph ChooseStandardGlyph(Mark mark, bool enabled, bool pressed, bool mouseOver);

// Caption to the right of the glyph: taRightJustify, mirrored when the control reads right to left.
bool CaptionOnRight(TLeftRight alignment, bool rightToLeft);
// Top-left corner of the glyph in a control of width x height.
Point GlyphPosition(int width, int height, int glyphWidth, int glyphHeight, bool captionOnRight,
                    TAlignmentVertical vertical);
// The room for the caption: the client rectangle less one pixel all round and less glyph width + 4
// on the glyph's side. The host measures the caption word-wrapped to this width.
Rect CaptionBounds(int width, int height, int glyphWidth, bool captionOnRight);
// Where the caption of measured height textHeight is drawn within its bounds.
Rect PlaceCaption(Rect bounds, int textHeight, TAlignmentVertical vertical);
// How the caption's lines are drawn in their rectangle: left-aligned, or right-aligned and read
// right to left for a control that reads right to left. The glyph's side (Alignment) only decides
// where the rectangle lies, not how the text sits in it.
struct CaptionPlan {
  Rect box;
  bool alignRight = false;
  bool rtlReading = false;
};
// The caption without leading and trailing blanks (control characters count as blanks): the text
// the host measures as one line for the focus border.
std::string TrimBlanks(const std::string& caption);
// The focus border over the full control height; captionWidth is TrimBlanks(caption) measured as one line.
Rect FocusBorder(int width, int height, int glyphWidth, bool captionOnRight, int captionWidth);
// The black pixels of the dotted focus border: on each edge every second pixel, starting one
// after the corner. Each pixel appears once.
std::vector<Point> FocusDots(const Rect& border);

// The colour left out when a glyph is drawn over a transparent control's background: the button
// face while visual styles are active, TransparentColor otherwise.
TColor GlyphKeyColor(bool visualStylesActive, TColor btnFace, TColor transparentColor);
// Every pixel equal to `from` becomes `to`.
void ReplaceColor(Pixels& image, TColor from, TColor to);
// Blends the rim of the 13 x 13 circle toward frame so the transparent radio glyph does not look
// jagged; pixels outside a smaller image are skipped.
void SoftenRadioRim(Pixels& image, TColor frame);

// The colours a glyph composition needs, every one resolved to 0x00BBGGRR by the host.
struct GlyphColors {
  TColor color = 0;             // Color
  TColor transparentColor = 0;  // TransparentColor
  TColor winMaskColor = 0;      // WinMaskColor
  TColor frameColor = 0;        // FrameColor
  TColor window = 0;            // the system's window colour
  TColor btnFace = 0;           // the system's button face colour
};
struct GlyphComposition {
  bool transparent = false;
  bool useCustomGlyphs = false;
  bool radio = false;
  bool visualStylesActive = false;
};
// The image to draw at the glyph position: glyph is the cell or standard glyph, behind the area of
// the off-screen image it covers (read only for a transparent control).
Pixels ComposeGlyph(const Pixels& glyph, const Pixels& behind, const GlyphComposition& how,
                    const GlyphColors& colors);

}  // namespace glyphbutton

// What a button needs from its window. The Win32 layer implements it; tests use a double.
class IGlyphButtonHost {
 public:
  virtual ~IGlyphButtonHost() = default;
  // Paints the whole control now. Its background erase calls MarkBackgroundStale().
  virtual void Repaint() = 0;
  // Repaints the glyph's rectangle only: the hot look follows the mouse.
  virtual void RepaintGlyph() = 0;
  // Moves the keyboard focus to the control; the window reports an arrival through FocusGained()
  // before returning, and none when the control already has the focus.
  virtual void TakeFocus() = 0;
  virtual bool HasFocus() const = 0;
  // The control and all its parents are visible and enabled.
  virtual bool CanFocus() const = 0;
  virtual bool VisualStylesActive() const = 0;
};

// A windowed, self-drawn control that accepts the focus. Without a host it draws nothing and
// cannot take the focus.
class TRzCustomButton {
 public:
  enum MouseButton { mbLeft, mbRight, mbMiddle };
  static constexpr int kKeySpace = 32;
  static constexpr int kKeyEscape = 27;

  virtual ~TRzCustomButton() = default;
  TRzCustomButton(const TRzCustomButton&) = delete;
  TRzCustomButton& operator=(const TRzCustomButton&) = delete;

  void SetHost(IGlyphButtonHost* host) { host_ = host; }
  IGlyphButtonHost* Host() const { return host_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  // The window moves the focus away from a control that becomes disabled.
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);

  // The picture of what lies behind the control must be taken again at the next paint. Set at
  // first, on every background erase, resize, change of the enabled state, of the parent's colour,
  // of Transparent and of the glyph strip.
  bool BackgroundStale() const { return backgroundStale_; }
  void MarkBackgroundStale() { backgroundStale_ = true; }
  void BackgroundTaken() { backgroundStale_ = false; }

  std::function<void()> OnClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

 protected:
  explicit TRzCustomButton(bool tabStop) : tabStop_(tabStop) {}
  void Repaint();
  void TakeFocus();
  bool HasFocus() const;
  bool CanFocus() const;
  bool VisualStylesActive() const;

 private:
  IGlyphButtonHost* host_ = nullptr;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_;
  int width_ = 0, height_ = 0;
  bool backgroundStale_ = true;
};

// A glyph and a word-wrapped caption beside it, toggled by the mouse.
class TRzCustomGlyphButton : public TRzCustomButton {
 public:
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight alignment);
  TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
  void SetAlignmentVertical(TAlignmentVertical vertical);
  bool RightToLeft() const { return rightToLeft_; }
  void SetRightToLeft(bool rightToLeft);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  // Colours may be system colour references; the host resolves them.
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor color);
  TColor WinMaskColor() const { return winMaskColor_; }
  void SetWinMaskColor(TColor color);
  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor color);

  bool UseCustomGlyphs() const { return useCustomGlyphs_; }
  // Recomputes the glyph size: a strip cell when on, 13 x 13 when off.
  void SetUseCustomGlyphs(bool use);
  int StripWidth() const { return stripWidth_; }
  int StripHeight() const { return stripHeight_; }
  // A strip was assigned or its content changed; 0 x 0 is an empty strip. A non-empty strip turns
  // custom glyphs on, an empty one off.
  void SetCustomGlyphs(int stripWidth, int stripHeight);

  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;

  // Run-time state.
  int GlyphWidth() const { return glyphWidth_; }
  int GlyphHeight() const { return glyphHeight_; }
  int CellCount() const { return cellCount_; }
  bool Pressed() const { return pressed_; }  // the pressed look
  bool MouseOver() const { return mouseOver_; }
  bool Tracking() const { return tracking_; }
  bool MouseInUse() const { return mouseInUse_; }

  // Input, as the window receives it. Coordinates are client coordinates.
  void MouseDown(MouseButton button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(MouseButton button, int x, int y);
  // A double click acts as a further press.
  virtual void DoubleClick(MouseButton button, int x, int y);
  void MouseEnter();
  void MouseLeave();
  virtual void KeyDown(int key);
  virtual void KeyUp(int key);
  // A typed character offered as an access key; true when the control used it.
  bool AccessKey(char typed);
  // What a click does, asked for without the mouse (a screen reader's default action): the next
  // state, on an enabled control only.
  void Click();
  virtual void FocusGained();
  void FocusLost();

  // Drawing decisions for the current state.
  bool CaptionOnRight() const;
  glyphbutton::Point GlyphOrigin() const;
  glyphbutton::Rect CaptionBounds() const;
  // The caption's rectangle and alignment, for a caption measuring textHeight in CaptionBounds().
  glyphbutton::CaptionPlan PlanCaption(int textHeight) const;
  // The focus border, drawn only while focused with a non-empty caption.
  glyphbutton::Rect FocusBorder(int trimmedCaptionWidth) const;
  // The strip cell to show while UseCustomGlyphs is on, else the standard glyph.
  virtual int GlyphCell() const = 0;
  virtual glyphbutton::StandardGlyph StandardGlyphState() const = 0;
  virtual bool IsRadioButton() const = 0;

 protected:
  TRzCustomGlyphButton(int cellCount, bool tabStop);
  // The user's click: the next state.
  virtual void Toggle() = 0;
  // The access key matched and the control can take the focus.
  virtual void AccessKeyPressed() = 0;
  void SetPressed(bool pressed) { pressed_ = pressed; }

 private:
  TLeftRight alignment_ = taRightJustify;
  TAlignmentVertical alignmentVertical_ = avTop;
  bool rightToLeft_ = false;
  bool transparent_ = false;
  TColor color_ = clWindow;
  TColor transparentColor_ = clOlive;
  TColor winMaskColor_ = clLime;
  TColor frameColor_ = clBtnShadow;
  bool useCustomGlyphs_ = false;
  int stripWidth_ = 0, stripHeight_ = 0;

  int cellCount_;
  int glyphWidth_ = glyphbutton::kStandardGlyphSize;
  int glyphHeight_ = glyphbutton::kStandardGlyphSize;
  bool pressed_ = false;
  bool mouseOver_ = false;
  bool tracking_ = false;
  bool mouseInUse_ = false;
};

class TRzCustomCheckBox : public TRzCustomGlyphButton {
 public:
  TCheckBoxState State() const { return state_; }
  // A new value repaints and fires OnClick; the same value does nothing.
  void SetState(TCheckBoxState state);
  bool Checked() const override { return state_ == cbChecked; }
  void SetChecked(bool checked) override { SetState(checked ? cbChecked : cbUnchecked); }
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool allow) { allowGrayed_ = allow; }
  bool KeyToggleArmed() const { return keyToggleArmed_; }

  void KeyDown(int key) override;
  void KeyUp(int key) override;
  int GlyphCell() const override;
  glyphbutton::StandardGlyph StandardGlyphState() const override;
  bool IsRadioButton() const override { return false; }

 protected:
  TRzCustomCheckBox() : TRzCustomGlyphButton(glyphbutton::kCheckBoxCells, true) {}
  void Toggle() override;
  void AccessKeyPressed() override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  bool keyToggleArmed_ = false;  // Space went down and Esc has not since
};

class TRzCheckBox : public TRzCustomCheckBox {
 public:
  TRzCheckBox() = default;
};

class TRzRadioButton;

// The radio buttons with the same parent: checking one unchecks the others.
class TRadioSiblings {
 public:
  TRadioSiblings() = default;
  ~TRadioSiblings();
  TRadioSiblings(const TRadioSiblings&) = delete;
  TRadioSiblings& operator=(const TRadioSiblings&) = delete;

  // Moves the button here from any other group.
  void Add(TRzRadioButton& button);
  void Remove(TRzRadioButton& button);
  const std::vector<TRzRadioButton*>& Buttons() const { return buttons_; }

 private:
  std::vector<TRzRadioButton*> buttons_;
};

// Radio buttons are a tab stop exactly while checked, and are checked by the focus arriving from
// the keyboard.
class TRzRadioButton : public TRzCustomGlyphButton {
 public:
  TRzRadioButton() : TRzCustomGlyphButton(glyphbutton::kRadioCells, false) {}
  ~TRzRadioButton() override;

  bool Checked() const override { return checked_; }
  // A new value repaints; checked, it unchecks the siblings without firing theirs and then fires
  // OnClick.
  void SetChecked(bool checked) override;
  TRadioSiblings* Siblings() const { return siblings_; }

  void DoubleClick(MouseButton button, int x, int y) override;
  void FocusGained() override;
  int GlyphCell() const override;
  glyphbutton::StandardGlyph StandardGlyphState() const override;
  bool IsRadioButton() const override { return true; }

  std::function<void()> OnDblClick;

 protected:
  void Toggle() override;
  void AccessKeyPressed() override;

 private:
  friend class TRadioSiblings;
  bool checked_ = false;
  TRadioSiblings* siblings_ = nullptr;
};

}  // namespace velmora::ui
