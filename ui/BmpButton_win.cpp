// The bitmap button's window. Every paint is composed in an off-screen image of the button's size
// and copied to the screen in one step; the background under a borderless button is the parent's
// own painting, asked for with WM_PRINTCLIENT.
#include "ui/BmpButton_win.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/Accessible_win.h"
#include "ui/Colour_win.h"
#include "ui/ControlWindow_win.h"
#include "ui/Dib_win.h"
#include "ui/HighContrast_win.h"

namespace velmora::ui {
namespace {

constexpr const char* kClassName = "TRzBmpButton";

RECT ToRect(const TBmpRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Draws `source` (w x h) into `box` of `dc`, stretched to the box, leaving out the pixels of
// colour `key`. The stretch is GDI's; the keying is the controls' shared pixel rule.
void DrawBitmapKeyed(HDC dc, const RECT& box, HDC source, int w, int h, COLORREF key) {
  const int bw = box.right - box.left, bh = box.bottom - box.top;
  if (bw <= 0 || bh <= 0) return;
  Dib picture(dc, bw, bh), behind(dc, bw, bh);
  if (!picture.ok() || !behind.ok()) return;
  StretchBlt(picture.dc(), 0, 0, bw, bh, source, 0, 0, w, h, SRCCOPY);
  BitBlt(behind.dc(), 0, 0, bw, bh, dc, box.left, box.top, SRCCOPY);
  Pixels image = ReadPixels(behind, 0, 0, bw, bh);
  DrawKeyed(image, ReadPixels(picture, 0, 0, bw, bh), TColor(key));
  WritePixels(behind, 0, 0, image);
  BitBlt(dc, box.left, box.top, bw, bh, behind.dc(), 0, 0, SRCCOPY);
}

// The brush of the stay-down fill: 8 x 8, white where x and y are both even or both odd, button face
// elsewhere. One bitmap serves every button; it goes with the last of them.
class DownPattern {
 public:
  static void AddButton() { ++buttons_; }
  static void RemoveButton() {
    if (--buttons_ == 0 && bitmap_ != nullptr) {
      DeleteObject(bitmap_);
      bitmap_ = nullptr;
    }
  }
  static HBITMAP Bitmap() {
    if (bitmap_ == nullptr) {
      HDC screen = GetDC(nullptr);
      bitmap_ = CreateCompatibleBitmap(screen, kDownPatternSize, kDownPatternSize);
      HDC dc = CreateCompatibleDC(screen);
      HGDIOBJ old = SelectObject(dc, bitmap_);
      for (int y = 0; y < kDownPatternSize; ++y) {
        for (int x = 0; x < kDownPatternSize; ++x) {
          SetPixel(dc, x, y, DownPatternIsWhite(x, y) ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE));
        }
      }
      SelectObject(dc, old);
      DeleteDC(dc);
      ReleaseDC(nullptr, screen);
    }
    return bitmap_;
  }

 private:
  static inline int buttons_ = 0;
  static inline HBITMAP bitmap_ = nullptr;
};

class Win32BmpButton final : public IBmpButtonHost {
 public:
  Win32BmpButton(HWND window, const BmpButtonSetup& setup)
      : window_(window),
        model_(*this),
        setup_(setup),
        accessSource_([this] { return AccessState(); }, [this] { model_.Click(); }),
        accessible_(window, accessSource_) {
    DownPattern::AddButton();
    model_.SetShowFocus(setup.showFocus);
    model_.SetCaption(setup.caption);
    const std::pair<TBmpSlot, HBITMAP> slots[] = {
        {TBmpSlot::Up, setup.up},     {TBmpSlot::UpAndFocused, setup.upAndFocused},
        {TBmpSlot::Disabled, setup.disabled}, {TBmpSlot::Down, setup.down},
        {TBmpSlot::StayDown, setup.stayDown}, {TBmpSlot::Hot, setup.hot}};
    for (const auto& [slot, bitmap] : slots) {
      if (bitmap == nullptr) continue;
      BITMAP info;
      GetObjectA(bitmap, sizeof info, &info);
      model_.Bitmaps().SetSize(slot, TBmpSize{info.bmWidth, info.bmHeight});
    }
    model_.OnClick = setup.onClick;
  }

  // Creation is over: the automatic size applies from now on.
  void FinishLoading() {
    loading_ = false;
    model_.Loaded();
  }

  ~Win32BmpButton() override {
    for (HBITMAP b : {setup_.up, setup_.upAndFocused, setup_.disabled, setup_.down, setup_.stayDown, setup_.hot, generated_}) {
      if (b != nullptr) DeleteObject(b);
    }
    DownPattern::RemoveButton();
  }

  TRzBmpButton& Model() { return model_; }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (accessible_.HandleAction(message, wParam)) return 0;
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        Paint(dc);
        EndPaint(window_, &ps);
        return 0;
      }
      case WM_ERASEBKGND:
        return 1;  // the paint covers everything
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        SetCapture(window_);
        model_.MouseDown(MouseButton(message), x, y);
        return 0;
      case WM_LBUTTONDBLCLK:
        SetCapture(window_);
        model_.DoubleClick(x, y);
        return 0;
      case WM_MOUSEMOVE:
        TrackPointerLeave(window_, trackingLeave_);
        if (!model_.Hot() && x >= 0 && y >= 0 && x < model_.Width() && y < model_.Height()) model_.MouseEnter();
        model_.MouseMove(x, y);
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (GetCapture() == window_) ReleaseCapture();
        model_.MouseUp(MouseButton(message), x, y);
        return 0;
      case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (model_.Hot()) model_.MouseLeave();
        return 0;
      case WM_KEYDOWN:
        model_.KeyDown(int(wParam));
        return 0;
      case WM_KEYUP:
        model_.KeyUp(int(wParam));
        return 0;
      case WM_SETFOCUS:
        model_.FocusGained();
        NotifyFocus(window_);
        return 0;
      case WM_KILLFOCUS:
        model_.FocusLost();
        return 0;
      case WM_ENABLE:
        model_.SetEnabled(wParam != FALSE);
        NotifyStateChange(window_);
        return 0;
      case WM_SHOWWINDOW:
        model_.SetVisible(wParam != FALSE);
        break;
      case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
        model_.SetCaption(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
        return result;
      }
      case WM_SETFONT:
        setup_.font = reinterpret_cast<HFONT>(wParam);
        model_.FontChanged();
        return 0;
      case WM_SYSCOLORCHANGE:
        model_.SystemColorsChanged();
        return 0;
      case WM_SIZE:
        model_.Resized(LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_WANTCHARS;
      case WM_GETOBJECT:
        return accessible_.Answer(wParam, lParam);
      case kBmpButtonGroupMessage:
        model_.HandleGroupMessage(int(wParam), reinterpret_cast<TRzBmpButton*>(lParam));
        return 0;
      default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
  }

  // What a screen reader is told: the button as it is now, in its own client coordinates.
  AccControlState AccessState() {
    AccControlState c;
    c.control = setup_.description;
    c.text = model_.Caption();
    c.enabled = ControlUsable(window_);
    c.shown = IsWindowVisible(window_) != FALSE;
    c.focused = GetFocus() == window_;
    c.pressed = model_.State() == TBmpButtonState::bsDown;
    c.width = model_.Width();
    c.height = model_.Height();
    return c;
  }

  // --- IBmpButtonHost ---
  void Repaint() override {
    PaintNow(window_, [this](HDC dc) { Paint(dc); });
  }
  void TakeFocus() override { SetFocus(window_); }
  bool HasFocus() override { return GetFocus() == window_; }
  bool CanFocus() override { return CanTakeFocus(window_); }
  bool WindowVisible() override { return IsWindowVisible(GetAncestor(window_, GA_ROOT)) != FALSE; }
  void SetModalResult(int) override {}  // the wizard window is not modal: nothing reads it
  void SendGroupMessage(int groupIndex, TRzBmpButton* sender) override {
    std::vector<HWND> children;
    for (HWND child = GetWindow(GetParent(window_), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      children.push_back(child);
    }
    for (HWND child : children) SendMessageA(child, kBmpButtonGroupMessage, WPARAM(groupIndex), reinterpret_cast<LPARAM>(sender));
  }
  bool HasNewStyleControls() override { return true; }
  bool IsLoading() override { return loading_; }
  void Resize(int width, int height) override {
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

 private:
  static TBmpMouseButton MouseButton(UINT message) {
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return TBmpMouseButton::mbRight;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return TBmpMouseButton::mbMiddle;
    return TBmpMouseButton::mbLeft;
  }

  HBITMAP SlotBitmap(TBmpSlot slot) {
    switch (slot) {
      case TBmpSlot::Up: return setup_.up;
      case TBmpSlot::UpAndFocused: return setup_.upAndFocused;
      case TBmpSlot::Disabled: return setup_.disabled;
      case TBmpSlot::Down: return setup_.down;
      case TBmpSlot::StayDown: return setup_.stayDown;
      case TBmpSlot::Hot: return setup_.hot;
      case TBmpSlot::GeneratedDisabled: return GeneratedDisabled();
      default: return nullptr;
    }
  }

  // A flat grey silhouette of Up: its dark pixels in the shadow colour with a white copy one pixel
  // right and down, on the button face.
  HBITMAP GeneratedDisabled() {
    if (generated_ != nullptr || setup_.up == nullptr) return generated_;
    BITMAP info;
    GetObjectA(setup_.up, sizeof info, &info);
    const int w = info.bmWidth, h = info.bmHeight;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen), maskDc = CreateCompatibleDC(screen), dc = CreateCompatibleDC(screen);
    generated_ = CreateCompatibleBitmap(screen, w, h);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    HGDIOBJ oldSource = SelectObject(source, setup_.up);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    HGDIOBJ old = SelectObject(dc, generated_);
    // The mask: white where Up is light, black where it is dark.
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const COLORREF c = GetPixel(source, x, y);
        const int light = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
        SetPixel(maskDc, x, y, light >= 192 ? RGB(255, 255, 255) : RGB(0, 0, 0));
      }
    }
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, 1, 1, w, h, maskDc, 0, 0, MERGEPAINT);
    BitBlt(dc, 0, 0, w, h, maskDc, 0, 0, SRCAND);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    SetBkColor(dc, RGB(0, 0, 0));
    BitBlt(dc, 0, 0, w, h, maskDc, 0, 0, SRCPAINT);
    SelectObject(dc, old);
    SelectObject(maskDc, oldMask);
    SelectObject(source, oldSource);
    DeleteObject(mask);
    DeleteDC(dc);
    DeleteDC(maskDc);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    return generated_;
  }

  void PaintBackground(HDC dc, const TBmpButtonPaint& plan) {
    RECT client = ToRect(plan.client);
    switch (plan.background) {
      case TBmpBackground::bgParentImage: {
        // The parent paints what lies under the button, shifted so that the button's corner lands
        // at (0, 0) and clipped to the parent's client area.
        HWND parent = GetParent(window_);
        RECT parentClient;
        GetClientRect(parent, &parentClient);
        POINT at = {0, 0};
        MapWindowPoints(window_, parent, &at, 1);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, parentClient.left - at.x, parentClient.top - at.y, parentClient.right - at.x,
                          parentClient.bottom - at.y);
        SetViewportOrgEx(dc, -at.x, -at.y, nullptr);
        SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        RestoreDC(dc, saved);
        Sleep(kParentImagePauseMs);
        break;
      }
      case TBmpBackground::bgSingleFrame: {
        HBRUSH fill = CreateSolidBrush(ToColorRef(plan.color));
        FillRect(dc, &client, fill);
        DeleteObject(fill);
        FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        break;
      }
      case TBmpBackground::bgButtonFace:
        DrawFrameControl(dc, &client, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (plan.facePressed ? DFCS_PUSHED : 0) | (plan.newStyle ? 0 : DFCS_FLAT));
        if (plan.faceFocused) {
          RECT focus = client;
          InflateRect(&focus, -3, -3);
          DrawFocusRect(dc, &focus);
        }
        break;
    }
  }

  void PaintBitmap(HDC dc, const TBmpButtonPaint& plan) {
    HBITMAP bitmap = SlotBitmap(plan.bitmap);
    if (bitmap == nullptr || plan.bitmapDraw == TBmpDraw::bdNone) return;
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    const COLORREF key = ToColorRef(plan.transparentColor);
    const RECT box = ToRect(plan.bitmapRect);
    if (plan.bitmapDraw == TBmpDraw::bdTile) {
      for (int y = box.top; y < box.bottom; y += info.bmHeight) {
        for (int x = box.left; x < box.right; x += info.bmWidth) {
          const int w = std::min<int>(info.bmWidth, box.right - x), h = std::min<int>(info.bmHeight, box.bottom - y);
          DrawBitmapKeyed(dc, RECT{x, y, x + w, y + h}, source, w, h, key);
        }
      }
    } else {
      DrawBitmapKeyed(dc, box, source, info.bmWidth, info.bmHeight, key);
    }
    SelectObject(source, old);
    DeleteDC(source);
  }

  // Under high contrast the bitmaps give way to a plain button in the system's colours: the face,
  // an outline in the text colour (two pixels under the pointer), the highlight while pressed, and
  // the caption (a cross for the close button, which has none) in the matching text colour.
  void PaintInSystemColours(HDC dc, RECT client, const TBmpButtonPaint& plan) {
    const bool down = plan.state == TBmpButtonState::bsDown || plan.state == TBmpButtonState::bsExclusive;
    const bool disabled = plan.state == TBmpButtonState::bsDisabled;
    FillRect(dc, &client, brushes_.Brush(down ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    const int text = disabled ? COLOR_GRAYTEXT : down ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
    HBRUSH outline = brushes_.Brush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    FrameRect(dc, &client, outline);
    if (model_.Hot() && !disabled) {
      RECT inner = {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
      FrameRect(dc, &inner, outline);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(text));
    const std::string& caption = model_.Caption();
    if (caption.empty()) {
      HPEN pen = CreatePen(PS_SOLID, 2, GetSysColor(text));
      HGDIOBJ oldPen = SelectObject(dc, pen);
      const int m = 5;
      MoveToEx(dc, client.left + m, client.top + m, nullptr);
      LineTo(dc, client.right - m, client.bottom - m);
      MoveToEx(dc, client.right - m, client.top + m, nullptr);
      LineTo(dc, client.left + m, client.bottom - m);
      SelectObject(dc, oldPen);
      DeleteObject(pen);
      return;
    }
    HGDIOBJ oldFont = SelectObject(dc, setup_.font);
    DrawTextA(dc, caption.c_str(), int(caption.size()), &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SelectObject(dc, oldFont);
  }

  void PaintCaption(HDC dc, const TBmpButtonPaint& plan) {
    if (plan.caption == TBmpCaptionLook::cdNone) return;
    const std::string& text = model_.Caption();
    HGDIOBJ oldFont = SelectObject(dc, setup_.font);
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    if (plan.caption == TBmpCaptionLook::cdDisabled) {
      RECT shadow = ToRect(plan.captionShadowRect);
      SetTextColor(dc, ToColorRef(TRzBmpButton::kCaptionHighlight));
      DrawTextA(dc, text.c_str(), int(text.size()), &shadow, format);
      SetTextColor(dc, ToColorRef(TRzBmpButton::kCaptionGrey));
    } else {
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    RECT box = ToRect(plan.captionTextRect);
    DrawTextA(dc, text.c_str(), int(text.size()), &box, format);
    SelectObject(dc, oldFont);
  }

  void Paint(HDC target) {
    RECT client;
    GetClientRect(window_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP image = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ oldImage = SelectObject(dc, image);
    // The caption is measured as a block of lines within the button's width.
    SIZE caption = {0, 0};
    if (!model_.Caption().empty()) {
      HGDIOBJ oldFont = SelectObject(dc, setup_.font);
      RECT measure = {0, 0, client.right, 0};
      DrawTextA(dc, model_.Caption().c_str(), int(model_.Caption().size()), &measure, DT_CALCRECT | DT_WORDBREAK);
      caption = {measure.right - measure.left, measure.bottom - measure.top};
      SelectObject(dc, oldFont);
    }
    const TBmpButtonPaint plan = model_.PlanPaint(caption.cx, caption.cy);
    if (HighContrastOn()) {
      PaintInSystemColours(dc, client, plan);
    } else {
      PaintBackground(dc, plan);
      if (plan.hasStayDownFill) {
        HBRUSH brush = plan.stayDownPattern ? CreatePatternBrush(DownPattern::Bitmap()) : CreateSolidBrush(ToColorRef(plan.color));
        RECT fill = ToRect(plan.stayDownRect);
        FillRect(dc, &fill, brush);
        DeleteObject(brush);
      }
      PaintBitmap(dc, plan);
      PaintCaption(dc, plan);
    }
    if (plan.hasFocusRect) {
      RECT focus = ToRect(plan.focusRect);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &focus);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldImage);
    DeleteObject(image);
    DeleteDC(dc);
  }

  HWND window_;
  TRzBmpButton model_;
  BmpButtonSetup setup_;
  SingleControlSource accessSource_;
  AccessibleWindow accessible_;
  HBITMAP generated_ = nullptr;
  SystemColourBrushes brushes_;  // for the high-contrast look
  bool loading_ = true;
  bool trackingLeave_ = false;
};

}  // namespace

HWND CreateBmpButton(HWND parent, int id, int left, int top, const BmpButtonSetup& setup) {
  RegisterControlClass(kClassName, ControlWindowProc<Win32BmpButton, BmpButtonSetup>);
  HWND window = CreateWindowExA(0, kClassName, setup.caption.c_str(), WS_CHILD | WS_TABSTOP, left, top, 80, 30, parent,
                                reinterpret_cast<HMENU>(intptr_t(id)), GetModuleHandleA(nullptr),
                                const_cast<BmpButtonSetup*>(&setup));
  if (Win32BmpButton* button = ControlOf<Win32BmpButton>(window, {kClassName})) button->FinishLoading();
  return window;
}

TRzBmpButton* BmpButtonOf(HWND window) {
  Win32BmpButton* button = ControlOf<Win32BmpButton>(window, {kClassName});
  return button != nullptr ? &button->Model() : nullptr;
}

}  // namespace velmora::ui
