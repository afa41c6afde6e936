// The glyph check box's and radio button's window. The background is what the parent paints under
// the control (WM_PRINTCLIENT), kept until it must be taken again; glyph and caption are drawn over
// it in an off-screen image that is copied to the screen in one step.
#include "ui/GlyphButton_win.h"

#include <windowsx.h>

#include <cstring>
#include <memory>

#include "ui/Accessible_win.h"
#include "ui/Colour_win.h"
#include "ui/ControlWindow_win.h"
#include "ui/Dib_win.h"
#include "ui/VisualStyles_win.h"

namespace velmora::ui {
namespace {

constexpr const char* kCheckBoxClass = "TRzCheckBox";
constexpr const char* kRadioButtonClass = "TRzRadioButton";

// Theme parts and states of the button class.
constexpr int kPartRadio = 2, kPartCheck = 3;

class Win32GlyphButton final : public IGlyphButtonHost {
 public:
  Win32GlyphButton(HWND window, const GlyphButtonSetup& setup)
      : window_(window),
        setup_(setup),
        accessSource_([this] { return AccessState(); }, [this] { model_->Click(); }),
        accessible_(window, accessSource_) {
    if (setup.radio) {
      auto radio = std::make_unique<TRzRadioButton>();
      if (setup.siblings != nullptr) setup.siblings->Add(*radio);
      model_ = std::move(radio);
    } else {
      model_ = std::make_unique<TRzCheckBox>();
    }
    model_->SetCaption(setup.caption);
    model_->SetAlignmentVertical(setup.vertical);
    model_->SetTransparent(setup.transparent);
    model_->SetTransparentColor(setup.transparentColor);
    model_->SetWinMaskColor(setup.winMaskColor);
    if (setup.strip != nullptr) {
      BITMAP info;
      GetObjectA(setup.strip, sizeof info, &info);
      model_->SetCustomGlyphs(info.bmWidth, info.bmHeight);
    }
    model_->SetChecked(setup.checked);
    notifiedState_ = setup.checked ? 1 : 0;
    model_->OnClick = setup.onClick;  // after the starting state: creating is not a click
    model_->SetHost(this);
  }

  ~Win32GlyphButton() override {
    if (setup_.strip != nullptr) DeleteObject(setup_.strip);
    if (background_ != nullptr) DeleteObject(background_);
  }

  TRzCustomGlyphButton& Model() { return *model_; }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    LRESULT result = 0;
    if (accessible_.HandleAction(message, wParam)) return 0;
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        Paint(dc);
        EndPaint(window_, &ps);
        break;
      }
      case WM_ERASEBKGND:
        model_->MarkBackgroundStale();
        return 1;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        SetCapture(window_);
        model_->MouseDown(Button(message), x, y);
        break;
      case WM_LBUTTONDBLCLK:
        SetCapture(window_);
        model_->DoubleClick(TRzCustomButton::mbLeft, x, y);
        break;
      case WM_MOUSEMOVE:
        TrackPointerLeave(window_, trackingLeave_);
        if (!model_->MouseOver() && x >= 0 && y >= 0 && x < model_->Width() && y < model_->Height()) model_->MouseEnter();
        model_->MouseMove(x, y);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (GetCapture() == window_) ReleaseCapture();
        model_->MouseUp(Button(message), x, y);
        break;
      case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (model_->MouseOver()) model_->MouseLeave();
        break;
      case WM_KEYDOWN:
        model_->KeyDown(int(wParam));
        break;
      case WM_KEYUP:
        model_->KeyUp(int(wParam));
        break;
      case WM_SETFOCUS:
        model_->FocusGained();
        NotifyFocus(window_);
        break;
      case WM_KILLFOCUS:
        model_->FocusLost();
        break;
      case WM_ENABLE:
        model_->SetEnabled(wParam != FALSE);
        NotifyStateChange(window_);
        break;
      case WM_SHOWWINDOW:
        model_->SetVisible(wParam != FALSE);
        result = DefWindowProcA(window_, message, wParam, lParam);
        break;
      case WM_SETTEXT:
        result = DefWindowProcA(window_, message, wParam, lParam);
        model_->SetCaption(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
        break;
      case WM_SETFONT:
        setup_.font = reinterpret_cast<HFONT>(wParam);
        model_->SetCaption(model_->Caption());
        break;
      case WM_SIZE:
        model_->SetSize(LOWORD(lParam), HIWORD(lParam));
        break;
      case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_WANTCHARS;
      case WM_GETOBJECT:
        return accessible_.Answer(wParam, lParam);
      default:
        return DefWindowProcA(window_, message, wParam, lParam);
    }
    SyncTabStop();
    return result;
  }

  // What a screen reader is told: the control as it is now, in its own client coordinates.
  AccControlState AccessState() {
    AccControlState c;
    c.control = setup_.description;
    c.text = model_->Caption();
    c.enabled = ControlUsable(window_);
    c.shown = IsWindowVisible(window_) != FALSE;
    c.focused = GetFocus() == window_;
    c.pressed = model_->Pressed();
    c.checked = model_->Checked();
    const auto* box = dynamic_cast<const TRzCustomCheckBox*>(model_.get());
    c.grayed = box != nullptr && box->State() == cbGrayed;
    RECT client;
    GetClientRect(window_, &client);
    c.width = client.right;
    c.height = client.bottom;
    return c;
  }

  // --- IGlyphButtonHost ---
  void Repaint() override {
    PaintNow(window_, [this](HDC dc) { Paint(dc); });
    // Every change of the checked state repaints at once: screen readers hear of it here.
    const int state = model_->Checked() ? 1 : 0;
    if (state != notifiedState_) {
      notifiedState_ = state;
      NotifyStateChange(window_);
    }
  }
  void RepaintGlyph() override { Repaint(); }
  void TakeFocus() override {
    if (GetFocus() != window_) SetFocus(window_);
  }
  bool HasFocus() const override { return GetFocus() == window_; }
  bool CanFocus() const override { return CanTakeFocus(window_); }
  bool VisualStylesActive() const override { return ui::VisualStylesActive(); }

  // Radio buttons are tab stops exactly while checked.
  void SyncTabStop() {
    const LONG style = GetWindowLongA(window_, GWL_STYLE);
    const LONG wanted = model_->TabStop() ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) SetWindowLongA(window_, GWL_STYLE, wanted);
  }

 private:
  static TRzCustomButton::MouseButton Button(UINT message) {
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return TRzCustomButton::mbRight;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return TRzCustomButton::mbMiddle;
    return TRzCustomButton::mbLeft;
  }

  // What lies behind the control: the parent's painting of this spot, or Color.
  void TakeBackground(HDC like, int w, int h) {
    if (background_ != nullptr) DeleteObject(background_);
    background_ = CreateCompatibleBitmap(like, w, h);
    HDC dc = CreateCompatibleDC(like);
    HGDIOBJ old = SelectObject(dc, background_);
    if (model_->Transparent()) {
      HWND parent = GetParent(window_);
      POINT at = {0, 0};
      MapWindowPoints(window_, parent, &at, 1);
      SetViewportOrgEx(dc, -at.x, -at.y, nullptr);
      SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      SetViewportOrgEx(dc, 0, 0, nullptr);
    } else {
      HBRUSH fill = CreateSolidBrush(ToColorRef(model_->Color()));
      RECT all = {0, 0, w, h};
      FillRect(dc, &all, fill);
      DeleteObject(fill);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    model_->BackgroundTaken();
  }

  // The glyph for the current state, glyph width x glyph height; `behind` is what it covers.
  Pixels GlyphImage(HDC like, const Pixels& behind) {
    const int gw = model_->GlyphWidth(), gh = model_->GlyphHeight();
    Dib glyph(like, gw, gh);
    if (model_->UseCustomGlyphs() && setup_.strip != nullptr) {
      HDC strip = CreateCompatibleDC(like);
      HGDIOBJ old = SelectObject(strip, setup_.strip);
      BitBlt(glyph.dc(), 0, 0, gw, gh, strip, model_->GlyphCell() * gw, 0, SRCCOPY);
      SelectObject(strip, old);
      DeleteDC(strip);
      return ReadPixels(glyph, 0, 0, gw, gh);
    }
    const glyphbutton::StandardGlyph look = model_->StandardGlyphState();
    const bool radio = model_->IsRadioButton();
    RECT box = {0, 0, gw, gh};
    if (VisualStylesActive()) {
      // The check box over the parent's own background for that spot, the radio image over Color.
      if (radio) {
        HBRUSH fill = CreateSolidBrush(ToColorRef(model_->Color()));
        FillRect(glyph.dc(), &box, fill);
        DeleteObject(fill);
      } else {
        WritePixels(glyph, 0, 0, behind);
      }
      // Theme states: 1 + 4 x mark + look (normal, hot, pressed, disabled).
      const int state = 1 + 4 * int(look.mark) + int(look.look);
      if (DrawThemedButtonPart(window_, glyph.dc(), radio ? kPartRadio : kPartCheck, state, box)) {
        return ReadPixels(glyph, 0, 0, gw, gh);
      }
    }
    UINT flags = radio ? DFCS_BUTTONRADIO : (look.mark == glyphbutton::Mark::kMixed ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK);
    if (look.mark != glyphbutton::Mark::kUnchecked) flags |= DFCS_CHECKED;
    if (look.look == glyphbutton::Look::kPressed) flags |= DFCS_PUSHED;
    if (look.look == glyphbutton::Look::kDisabled) flags |= DFCS_INACTIVE;
    if (radio) {
      // The corners outside the circle keep the key colour and drop out when composed.
      HBRUSH fill = CreateSolidBrush(ToColorRef(model_->TransparentColor()));
      FillRect(glyph.dc(), &box, fill);
      DeleteObject(fill);
    }
    DrawFrameControl(glyph.dc(), &box, DFC_BUTTON, flags);
    return ReadPixels(glyph, 0, 0, gw, gh);
  }

  void PaintCaption(HDC dc) {
    const std::string& text = model_->Caption();
    if (text.empty()) return;
    HGDIOBJ oldFont = SelectObject(dc, setup_.font);
    const glyphbutton::Rect bounds = model_->CaptionBounds();
    RECT measure = {bounds.left, bounds.top, bounds.right, bounds.top};
    DrawTextA(dc, text.c_str(), int(text.size()), &measure, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    const glyphbutton::CaptionPlan plan = model_->PlanCaption(measure.bottom - measure.top);
    RECT box = {plan.box.left, plan.box.top, plan.box.right, plan.box.bottom};
    const UINT format =
        DT_WORDBREAK | DT_EXPANDTABS | (plan.alignRight ? DT_RIGHT : DT_LEFT) | (plan.rtlReading ? DT_RTLREADING : 0);
    SetBkMode(dc, TRANSPARENT);
    if (model_->Enabled()) {
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    } else {
      RECT shadow = box;
      OffsetRect(&shadow, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextA(dc, text.c_str(), int(text.size()), &shadow, format);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    }
    DrawTextA(dc, text.c_str(), int(text.size()), &box, format);
    SelectObject(dc, oldFont);
  }

  void PaintFocus(Dib& image) {
    const std::string& text = model_->Caption();
    if (text.empty() || GetFocus() != window_) return;
    HGDIOBJ oldFont = SelectObject(image.dc(), setup_.font);
    const std::string trimmed = glyphbutton::TrimBlanks(text);
    RECT measure = {0, 0, 0, 0};
    DrawTextA(image.dc(), trimmed.c_str(), int(trimmed.size()), &measure, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(image.dc(), oldFont);
    for (const glyphbutton::Point& dot : glyphbutton::FocusDots(model_->FocusBorder(measure.right - measure.left))) {
      SetPixelV(image.dc(), dot.x, dot.y, RGB(0, 0, 0));
    }
  }

  void Paint(HDC target) {
    RECT client;
    GetClientRect(window_, &client);
    const int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return;
    if (model_->BackgroundStale() || background_ == nullptr) TakeBackground(target, w, h);
    Dib image(target, w, h);
    if (!image.ok()) return;
    HDC copy = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(copy, background_);
    BitBlt(image.dc(), 0, 0, w, h, copy, 0, 0, SRCCOPY);
    SelectObject(copy, old);
    DeleteDC(copy);

    const glyphbutton::Point at = model_->GlyphOrigin();
    const int gw = model_->GlyphWidth(), gh = model_->GlyphHeight();
    const Pixels behind = ReadPixels(image, at.x, at.y, gw, gh);
    glyphbutton::GlyphComposition how;
    how.transparent = model_->Transparent();
    how.useCustomGlyphs = model_->UseCustomGlyphs();
    how.radio = model_->IsRadioButton();
    how.visualStylesActive = VisualStylesActive();
    glyphbutton::GlyphColors colours;
    colours.color = ToColorRef(model_->Color());
    colours.transparentColor = ToColorRef(model_->TransparentColor());
    colours.winMaskColor = ToColorRef(model_->WinMaskColor());
    colours.frameColor = ToColorRef(model_->FrameColor());
    colours.window = GetSysColor(COLOR_WINDOW);
    colours.btnFace = GetSysColor(COLOR_BTNFACE);
    WritePixels(image, at.x, at.y, glyphbutton::ComposeGlyph(GlyphImage(target, behind), behind, how, colours));

    PaintCaption(image.dc());
    PaintFocus(image);
    GdiFlush();
    BitBlt(target, 0, 0, w, h, image.dc(), 0, 0, SRCCOPY);
  }

  HWND window_;
  GlyphButtonSetup setup_;
  std::unique_ptr<TRzCustomGlyphButton> model_;
  SingleControlSource accessSource_;
  AccessibleWindow accessible_;
  int notifiedState_ = -1;  // the checked state screen readers last heard of
  HBITMAP background_ = nullptr;
  bool trackingLeave_ = false;
};

}  // namespace

HWND CreateGlyphButton(HWND parent, int id, const RECT& box, const GlyphButtonSetup& setup) {
  for (const char* cls : {kCheckBoxClass, kRadioButtonClass}) {
    RegisterControlClass(cls, ControlWindowProc<Win32GlyphButton, GlyphButtonSetup>);
  }
  HWND window = CreateWindowExA(0, setup.radio ? kRadioButtonClass : kCheckBoxClass, setup.caption.c_str(), WS_CHILD,
                                box.left, box.top, box.right - box.left, box.bottom - box.top, parent,
                                reinterpret_cast<HMENU>(intptr_t(id)), GetModuleHandleA(nullptr),
                                const_cast<GlyphButtonSetup*>(&setup));
  if (Win32GlyphButton* control = ControlOf<Win32GlyphButton>(window, {kCheckBoxClass, kRadioButtonClass})) {
    control->SyncTabStop();
  }
  return window;
}

TRzCustomGlyphButton* GlyphButtonOf(HWND window) {
  Win32GlyphButton* control = ControlOf<Win32GlyphButton>(window, {kCheckBoxClass, kRadioButtonClass});
  return control != nullptr ? &control->Model() : nullptr;
}

}  // namespace velmora::ui
