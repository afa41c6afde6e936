// The wizard's Win32 window: one borderless top-level window whose controls are plain standard
// controls built from the window description. Every state change goes through the window model;
// Sync() copies the model onto the controls after each event.
#include "ui/WizardWindow_win.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/LicenceText.h"
#include "app/ProductContract.h"
#include "platform/SysUi.h"
#include "resources/ResourceIds.h"
#include "ui/BmpButton_win.h"
#include "ui/Dib_win.h"
#include "ui/EditFrame_win.h"
#include "ui/GlyphButton_win.h"
#include "ui/InputMethod.h"
#include "ui/InputMethod_win.h"
#include "ui/JpegImage.h"
#include "ui/KeyboardNavigation.h"
#include "ui/VisualStyles_win.h"
#include "ui/WizardAccessibility_win.h"
#include "ui/WheelScroll.h"
#include "ui/WindowText_win.h"

namespace velmora::ui {

namespace {

constexpr const char* kWindowClass = "TfrmKestrinSetupMain";
constexpr UINT_PTR kTimerShow = 1;
constexpr int kFirstControlId = 100;


// The resource holding a page's picture.
int PictureResource(int tag) {
  switch (tag) {
    case 6:
      return IDR_PAGE_WELCOME;
    case 5:
      return IDR_PAGE_FINISH;
    case 3:
      return IDR_PAGE_LOCATION;
    default:
      return IDR_PAGE_A;
  }
}

bool IsLabel(ControlKind kind) { return kind == ControlKind::kLabel || kind == ControlKind::kWrappingLabel; }


// The folder edits' frame while hot: 5876991, an orange.
constexpr COLORREF kFrameHotColour = RGB(255, 172, 89);

std::string WindowText(HWND window) {
  char text[4096];
  const int n = GetWindowTextA(window, text, sizeof text);
  return std::string(text, n > 0 ? size_t(n) : 0);
}

}  // namespace

struct Win32WizardWindow::Impl {
  Win32WizardWindow& owner;
  platform::Win32Platform& platform;
  std::unique_ptr<app::TSetupWizard> wizard;
  HWND window = nullptr;
  HFONT font = nullptr;
  HFONT boldFont = nullptr;
  std::map<int, std::unique_ptr<TRadioSiblings>> radioGroups;  // the radio buttons of each page
  std::map<int, HBITMAP> pictures;    // decoded page pictures, by resource
  std::map<std::string, HWND> controls;
  // The state last passed on to each control.
  struct Applied {
    std::string text;
    bool enabled = true, shown = false, checked = false;
    bool known = false;
  };
  std::map<std::string, Applied> applied;
  std::map<int, std::string> names;  // by control id
  bool syncing = false;
  bool timerRunning = false;
  bool closing = false;
  int paintedPage = -2;
  std::map<std::string, std::string> paintedTexts;  // the labels of the painted page
  int paintedBar = -1;
  HBITMAP trackPicture = nullptr;
  HBITMAP barPicture = nullptr;
  // The page is composed here, off-screen, and copied in one step. Made once: a new bitmap for
  // every paint costs round trips to the window system, and the page repaints for every file.
  std::unique_ptr<Dib> backBuffer;
  HDC pictureSource = nullptr;  // selects each picture in turn for copying
  // What screen readers are told; made with the window.
  std::unique_ptr<WizardAccessibleSource> accessSource;
  std::unique_ptr<AccessibleWindow> accessible;

  Impl(Win32WizardWindow& o, platform::Win32Platform& p) : owner(o), platform(p) {}

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
      self = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->window = hwnd;
    }
    if (self == nullptr || self->wizard == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
  }

  static LRESULT CALLBACK MemoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    Impl* self = reinterpret_cast<Impl*>(data);
    if (message == WM_KEYDOWN) self->wizard->KeyDown("Memo1", uint32_t(wParam));
    if (message == WM_MOUSEWHEEL) {
      ScrollMemoByWheel(hwnd, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, MemoProc, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }

  // The edit control's own wheel handling carries partial notches over; the memo scrolls by whole
  // notches only, one step at a time, and stops as soon as a step no longer moves the text.
  static void ScrollMemoByWheel(HWND memo, int delta) {
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    WheelScroll plan = PlanWheelScroll(delta, lines);
    WPARAM step = plan.byPage ? (plan.down ? SB_PAGEDOWN : SB_PAGEUP) : (plan.down ? SB_LINEDOWN : SB_LINEUP);
    for (uint64_t i = 0; i < plan.steps; ++i) {
      LRESULT before = SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
      SendMessageA(memo, WM_VSCROLL, step, 0);
      if (SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0) == before) break;
    }
  }

  bool Create() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls = {};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    cls.lpszClassName = kWindowClass;
    if (!RegisterClassA(&cls)) return false;
    font = CreateWindowFont(false);
    boldFont = CreateWindowFont(true);
    window = CreateWindowExA(0, kWindowClass, app::kApplicationTitle, WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                             kPageWidth + 1, kPageHeight + 1, nullptr, nullptr, instance, this);
    if (window == nullptr) return false;
    CreateControls(instance);
    accessSource = std::make_unique<WizardAccessibleSource>(window, wizard->Window(), controls,
                                                            [this](const std::string& name) { DefaultAction(name); });
    accessible = std::make_unique<AccessibleWindow>(window, *accessSource);
    return true;
  }

  // The bitmaps of a button kind: Up, Hot, Down, Disabled resources (0 where the set has none).
  struct ButtonBitmaps {
    int up, hot, down, disabled;
  };
  static ButtonBitmaps BitmapsOf(ControlKind kind) {
    switch (kind) {
      case ControlKind::kCloseButton:
        return {IDB_CLOSE_UP, IDB_CLOSE_HOT, IDB_CLOSE_DOWN, 0};
      case ControlKind::kCancelButton:
        return {IDB_CANCEL_UP, IDB_CANCEL_HOT, IDB_CANCEL_DOWN, IDB_CANCEL_DISABLED};
      case ControlKind::kMixedButton:
        return {IDB_WIDE_UP, IDB_MIXED_HOT, IDB_MIXED_DOWN, IDB_WIDE_DISABLED};
      default:
        return {IDB_WIDE_UP, IDB_WIDE_HOT, IDB_WIDE_DOWN, IDB_WIDE_DISABLED};
    }
  }

  // Loaded as DIB sections: copying from a device-dependent bitmap costs round trips to the
  // window system for every copy, and the progress pictures are copied for every file.
  static HBITMAP LoadPicture(int id) {
    return id == 0 ? nullptr
                   : static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0,
                                                     0, LR_CREATEDIBSECTION));
  }

  HWND CreateButton(const ControlDescription& d, int id, const std::string& text) {
    const ButtonBitmaps set = BitmapsOf(d.kind);
    BmpButtonSetup setup;
    setup.description = &d;
    setup.caption = text;
    setup.font = font;
    // Only the close and browse buttons show the focus.
    const std::string name = d.name;
    setup.showFocus = d.kind == ControlKind::kCloseButton || name == "RzBmpButton10" || name == "RzBmpButton11";
    setup.up = LoadPicture(set.up);
    setup.hot = LoadPicture(set.hot);
    setup.down = LoadPicture(set.down);
    setup.disabled = LoadPicture(set.disabled);
    setup.onClick = [this, name] {
      if (syncing) return;
      wizard->Click(name);
      Sync();
    };
    return CreateBmpButton(window, id, d.left, d.top, setup);
  }

  HWND CreateGlyphControl(const ControlDescription& d, int id, const std::string& text) {
    GlyphButtonSetup setup;
    setup.description = &d;
    setup.radio = d.kind == ControlKind::kRadioButton;
    setup.caption = text;
    setup.font = font;
    const std::string name = d.name;
    setup.vertical = name == "chbAgree" || setup.radio ? avCenter : avTop;
    setup.checked = wizard->Window().Control(name).checked;
    if (setup.radio) {
      auto& group = radioGroups[d.pageTag];
      if (group == nullptr) group = std::make_unique<TRadioSiblings>();
      setup.siblings = group.get();
      setup.strip = LoadPicture(IDB_RADIO_STRIP);
      setup.transparentColor = clFuchsia;
      setup.winMaskColor = clFuchsia;
    }
    setup.onClick = [this, name] {
      if (syncing) return;
      // The control changed itself (and a radio button its siblings): the model follows, then the
      // handler runs.
      for (const auto& [other, handle] : controls) {
        if (TRzCustomGlyphButton* glyph = GlyphButtonOf(handle)) wizard->Window().Control(other).checked = glyph->Checked();
      }
      wizard->Clicked(name);
      Sync();
    };
    const RECT box = {d.left, d.top, d.left + d.width, d.top + d.height};
    return CreateGlyphButton(window, id, box, setup);
  }

  HWND CreateEdit(const ControlDescription& d, int id, HINSTANCE instance, const std::string& text) {
    DWORD style = WS_CHILD | WS_TABSTOP;
    DWORD exStyle = 0;
    if (d.kind == ControlKind::kMemo) {
      // The platform's own border while visual styles are active; otherwise the flat grey line
      // that CreateControls attaches.
      style |= ES_MULTILINE | ES_READONLY | WS_VSCROLL;
      if (VisualStylesActive()) exStyle = WS_EX_CLIENTEDGE;
    } else {
      style |= ES_AUTOHSCROLL;
    }
    HWND edit = CreateWindowExA(exStyle, "EDIT", text.c_str(), style, d.left, d.top, d.width, d.height, window,
                                reinterpret_cast<HMENU>(intptr_t(id)), instance, nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return edit;
  }

  void CreateControls(HINSTANCE instance) {
    // Pictures and labels are graphic: the window paints them itself, and mouse-downs on them reach
    // the window. The windowed controls are created in the order access keys are offered to them.
    int id = kFirstControlId;
    for (const ControlDescription* entry : CreationOrder()) {
      const ControlDescription& d = *entry;
      const std::string text = wizard->Window().Control(d.name).text;
      HWND control = nullptr;
      switch (d.kind) {
        case ControlKind::kCheckBox:
        case ControlKind::kRadioButton:
          control = CreateGlyphControl(d, id, text);
          break;
        case ControlKind::kFramedEdit:
        case ControlKind::kMemo:
          control = CreateEdit(d, id, instance, text);
          break;
        default:
          control = CreateButton(d, id, text);
          break;
      }
      controls[d.name] = control;
      names[id++] = d.name;
    }
    AddTooltips(instance);
    HWND memo = controls["Memo1"];
    SetWindowTextA(memo, app::LicenceText());
    SetWindowSubclass(memo, MemoProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (!VisualStylesActive()) {
      EditFrameStyle flat;
      flat.width = 1;
      flat.colour = GetSysColor(COLOR_BTNSHADOW);
      AttachEditFrame(memo, flat);
    }
    // The folder edits: a grey frame that turns orange under the pointer or with the focus, drawn
    // the same with visual styles on or off.
    EditFrameStyle framed;
    framed.colour = GetSysColor(COLOR_BTNSHADOW);
    framed.hotTrack = true;
    framed.hotColour = kFrameHotColour;
    for (const char* edit : {"edtSetupPath", "edtUserpath"}) AttachEditFrame(controls[edit], framed);
    AttachInputMethod(controls["edtUserpath"], kUserpathInputMethod);
    for (const char* edit : {"edtSetupPath", "edtUserpath", "Memo1"}) AttachAccessibleEdit(controls[edit], *FindControl(edit));
  }

  // The close buttons whose hint shows carry a tooltip.
  void AddTooltips(HINSTANCE instance) {
    HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    for (const ControlDescription& d : Controls()) {
      if (!d.showHint || d.hint == nullptr) continue;
      TOOLINFOA tool = {};
      tool.cbSize = TTTOOLINFOA_V1_SIZE;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = window;
      tool.uId = reinterpret_cast<UINT_PTR>(controls[d.name]);
      tool.lpszText = const_cast<char*>(d.hint);
      SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }

  // The page picture from the program's resources, decoded once.
  HBITMAP Picture(int tag) {
    const int id = PictureResource(tag);
    auto found = pictures.find(id);
    if (found != pictures.end()) return found->second;
    HBITMAP bitmap = nullptr;
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    TImage image;
    if (bytes != nullptr && DecodeJpeg(static_cast<const uint8_t*>(bytes), SizeofResource(nullptr, resource), image)) {
      BITMAPINFO info = {};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = image.width;
      info.bmiHeader.biHeight = -image.height;  // top-down rows
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      void* pixels = nullptr;
      bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
      if (bitmap != nullptr) std::memcpy(pixels, image.bgr.data(), image.bgr.size());
    }
    pictures[id] = bitmap;
    return bitmap;
  }

  // Returns whether anything on the screen changed.
  bool Sync() {
    syncing = true;
    bool changed = false;
    bool focusMayMove = false;
    app::TWindowModel& model = wizard->Window();
    for (const ControlDescription& d : Controls()) {
      auto found = controls.find(d.name);
      if (found == controls.end()) continue;
      HWND control = found->second;
      const app::TControlState& state = model.Control(d.name);
      auto page = model.pageVisible.find(d.pageTag);
      const bool shown = page != model.pageVisible.end() && page->second && state.visible;
      // Only what changed is passed on: each call may be a round trip to the window system, and
      // the installation syncs for every file.
      Applied& last = applied[d.name];
      // Typed text reaches the model and `applied` together (EN_CHANGE), so an edit is not read back.
      if (d.name != std::string("Memo1") && (!last.known || last.text != state.text)) {
        SetWindowTextA(control, state.text.c_str());
        changed = true;
      }
      if (!last.known || last.enabled != state.enabled) {
        EnableWindow(control, state.enabled);
        changed = focusMayMove = true;
      }
      if ((d.kind == ControlKind::kCheckBox || d.kind == ControlKind::kRadioButton) &&
          (!last.known || last.checked != state.checked)) {
        if (TRzCustomGlyphButton* glyph = GlyphButtonOf(control)) glyph->SetChecked(state.checked);
        changed = true;
      }
      if (!last.known || last.shown != shown) {
        ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
        changed = focusMayMove = true;
      }
      last = Applied{state.text, state.enabled, shown, state.checked, true};
    }
    // A control that can no longer hold the focus hands it on, as the window does for a control
    // disabled while focused.
    const ControlDescription* focusedControl = focusMayMove ? Described(GetFocus()) : nullptr;
    if (focusedControl != nullptr && !CanFocus(*focusedControl)) {
      const ControlDescription* next = TabTarget(focusedControl, true, [this](const ControlDescription& d) { return IsTabStop(d); });
      SetFocus(next != nullptr ? controls[next->name] : window);
    }
    RECT r;
    GetWindowRect(window, &r);
    if (r.left != model.left || r.top != model.top || r.right - r.left != model.width || r.bottom - r.top != model.height) {
      SetWindowPos(window, nullptr, model.left, model.top, model.width, model.height, SWP_NOZORDER | SWP_NOACTIVATE);
      changed = true;
    }
    if (model.tmshow.running != timerRunning) {
      timerRunning = model.tmshow.running;
      if (timerRunning) {
        SetTimer(window, kTimerShow, model.tmshow.interval, nullptr);
      } else {
        KillTimer(window, kTimerShow);
      }
    }
    if (!model.focused.empty()) {
      SetFocus(controls[model.focused]);
      model.focused.clear();
    }
    if (model.hidden && IsWindowVisible(window)) {
      ShowWindow(window, SW_HIDE);
      changed = true;
    }
    if (InvalidateChangedPainting(model)) changed = true;
    syncing = false;
    return changed;
  }

  // The window paints the page, its labels and the progress images: a new page repaints it all, a
  // label's new text only the label's box and a new bar width only the track. The controls paint
  // themselves, since nothing under them changes. During an installation the status line and the
  // bar change for every file, so this keeps those repaints small. Screen readers hear of the same
  // changes: a new page, a label's new text (the status line) and the bar's new value.
  // Returns whether it invalidated anything.
  bool InvalidateChangedPainting(const app::TWindowModel& model) {
    const bool newPage = model.currentPage != paintedPage;
    bool invalidated = newPage;
    if (newPage) {
      paintedPage = model.currentPage;
      paintedTexts.clear();
      paintedBar = -1;
      InvalidateRect(window, nullptr, FALSE);
      NotifyReorder(window);
    }
    for (const ControlDescription& d : Controls()) {
      if (!IsLabel(d.kind) || d.pageTag != model.currentPage) continue;
      const std::string& text = model.Control(d.name).text;
      auto painted = paintedTexts.find(d.name);
      if (painted != paintedTexts.end() && painted->second == text) continue;
      paintedTexts[d.name] = text;
      const RECT box = LabelRect(d);
      InvalidateRect(window, &box, FALSE);
      invalidated = true;
      if (!newPage) NotifyNameChange(window, accessSource->ChildOf(d.name));
    }
    const int bar = model.Control("imgbar").width;
    if (bar != paintedBar) {
      paintedBar = bar;
      const app::TControlState& track = model.Control("Image1");
      const RECT box = {track.left, track.top, track.left + track.width, track.top + track.height};
      InvalidateRect(window, &box, FALSE);
      invalidated = true;
      if (!newPage) NotifyValueChange(window, accessSource->ChildOf("imgbar"));
    }
    return invalidated;
  }


  // The track picture, and the bar picture's left part as wide as the bar control (the picture
  // ends at 461 pixels; a wider control shows no more of it).
  void PaintProgress(HDC dc, const app::TWindowModel& model) {
    if (trackPicture == nullptr) trackPicture = LoadPicture(IDB_PROGRESS_TRACK);
    if (barPicture == nullptr) barPicture = LoadPicture(IDB_PROGRESS_BAR);
    const app::TControlState& track = model.Control("Image1");
    const app::TControlState& bar = model.Control("imgbar");
    if (trackPicture != nullptr) Blit(dc, trackPicture, track.left, track.top, track.width, track.height);
    if (barPicture != nullptr) {
      BITMAP info;
      GetObjectA(barPicture, sizeof info, &info);
      Blit(dc, barPicture, bar.left, bar.top, std::min(bar.width, int(info.bmWidth)), info.bmHeight);
    }
  }

  // Copies a picture's top-left part to the DC, through a memory DC made once: the bar and the
  // status line repaint for every file.
  void Blit(HDC dc, HBITMAP picture, int left, int top, int width, int height) {
    if (pictureSource == nullptr) pictureSource = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(pictureSource, picture);
    BitBlt(dc, left, top, width, height, pictureSource, 0, 0, SRCCOPY);
    SelectObject(pictureSource, old);
  }

  // The page's picture, then its labels over it, transparent, in their order.
  void PaintPage(HDC dc) {
    const app::TWindowModel& model = wizard->Window();
    const int page = model.currentPage;
    auto shown = model.pageVisible.find(page);
    RECT all = {0, 0, kPageWidth + 1, kPageHeight + 1};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    if (shown == model.pageVisible.end() || !shown->second) return;
    if (HBITMAP picture = Picture(page)) Blit(dc, picture, 0, 0, kPageWidth, kPageHeight);
    if (page == 4) PaintProgress(dc, model);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (const ControlDescription& d : Controls()) {
      if (!IsLabel(d.kind) || d.pageTag != page || !model.Control(d.name).visible) continue;
      RECT box = LabelRect(d);
      // Laying out a label's text costs far more than clipping it, and most repaints during an
      // installation cover only the status line or the bar.
      if (!RectVisible(dc, &box)) continue;
      const std::string& text = model.Control(d.name).text;
      HGDIOBJ old = SelectObject(dc, d.boldLarge ? boldFont : font);
      DrawTextA(dc, text.c_str(), int(text.size()), &box, LabelFormat(d.kind));
      SelectObject(dc, old);
    }
  }

  // A screen reader's default action: what a click on the control does.
  void DefaultAction(const std::string& name) {
    if (TRzCustomGlyphButton* glyph = GlyphButtonOf(controls[name])) {
      glyph->Click();  // the control's own click path updates the model and runs the handler
      return;
    }
    wizard->Click(name);
    Sync();
  }

  // --- Keyboard ---

  const ControlDescription* Described(HWND control) {
    for (const auto& [name, handle] : controls) {
      if (handle == control) return FindControl(name.c_str());
    }
    return nullptr;
  }

  // A control can take the focus while it and its page are visible and it is enabled.
  bool CanFocus(const ControlDescription& d) {
    const app::TWindowModel& model = wizard->Window();
    auto page = model.pageVisible.find(d.pageTag);
    const app::TControlState& state = model.Control(d.name);
    return page != model.pageVisible.end() && page->second && state.visible && state.enabled;
  }

  bool IsTabStop(const ControlDescription& d) {
    return CanFocus(d) && (GetWindowLongA(controls[d.name], GWL_STYLE) & WS_TABSTOP) != 0;
  }

  // Bitmap buttons, check boxes and radio buttons take no character input: a letter typed on
  // them is an access key, and the arrow keys move the focus.
  static bool TakesNoText(ControlKind kind) { return kind != ControlKind::kFramedEdit && kind != ControlKind::kMemo; }

  void Focus(const ControlDescription* d) {
    if (d != nullptr) SetFocus(controls[d->name]);
  }

  // Tab, the arrow keys and access keys, before the focused control sees them. True when handled.
  bool PreTranslate(const MSG& msg) {
    if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
    const ControlDescription* focused = Described(GetFocus());
    const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    switch (msg.message) {
      case WM_KEYDOWN:
        if (msg.wParam == VK_TAB && !alt) {
          const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
          Focus(TabTarget(focused, !back, [this](const ControlDescription& d) { return IsTabStop(d); }));
          return true;
        }
        if (focused != nullptr && TakesNoText(focused->kind) && !alt &&
            (msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT || msg.wParam == VK_UP || msg.wParam == VK_DOWN)) {
          const bool forward = msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN;
          Focus(ArrowTarget(*focused, forward, [this](const ControlDescription& d) { return CanFocus(d); }));
          return true;
        }
        return false;
      case WM_SYSCHAR:
        return OfferAccessKey(char(msg.wParam));
      case WM_CHAR:
        return (focused == nullptr || TakesNoText(focused->kind)) && OfferAccessKey(char(msg.wParam));
      default:
        return false;
    }
  }

  // Offers a typed access key to the controls in creation order; the first that can take the
  // focus and carries the key acts on it. Edits and the memo carry no access key.
  bool OfferAccessKey(char typed) {
    const ControlDescription* target = AccessKeyTarget(
        typed,
        [this](const ControlDescription& d) {
          return TakesNoText(d.kind) ? wizard->Window().Control(d.name).text.c_str() : nullptr;
        },
        [this](const ControlDescription& d) { return CanFocus(d); });
    if (target == nullptr) return false;
    HWND control = controls[target->name];
    if (TRzBmpButton* button = BmpButtonOf(control)) return button->AccessKey(static_cast<unsigned char>(typed));
    if (TRzCustomGlyphButton* glyph = GlyphButtonOf(control)) return glyph->AccessKey(typed);
    return false;
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND: {
        auto found = names.find(LOWORD(wParam));
        if (found == names.end() || syncing) break;
        const std::string& name = found->second;
        if (HIWORD(wParam) == EN_CHANGE) {
          const std::string typed = WindowText(controls[name]);
          wizard->Window().SetText(name, typed);
          applied[name].text = typed;
        } else if (HIWORD(wParam) == BN_CLICKED) {
          wizard->Click(name);
        } else {
          break;
        }
        Sync();
        return 0;
      }
      case WM_TIMER:
        if (wParam == kTimerShow) {
          // Stop the system timer first: the check may open message boxes whose own message loop
          // would otherwise let the timer fire again beneath them.
          KillTimer(window, kTimerShow);
          timerRunning = false;
          wizard->tmshowTimer();
          Sync();
        }
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        // The window has no frame: client coordinates are the window's own.
        wizard->FormMouseDown(short(LOWORD(lParam)), short(HIWORD(lParam)));
        return 0;
      case WM_WINDOWPOSCHANGED: {
        // A move the window did not make itself (the user's drag): the model follows, or the next
        // sync would put the window back.
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!syncing && (pos->flags & SWP_NOMOVE) == 0) wizard->FormMoved(pos->x, pos->y);
        break;
      }
      case WM_KEYDOWN:
        wizard->KeyDown("", uint32_t(wParam));
        break;
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        // The licence is on white; the folder edits are white while enabled and grey while not.
        if (control == controls["Memo1"]) {
          SetBkColor(dc, RGB(255, 255, 255));
          return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        if (control == controls["edtSetupPath"] || control == controls["edtUserpath"]) {
          const int colour = IsWindowEnabled(control) ? COLOR_WINDOW : COLOR_BTNFACE;
          SetBkColor(dc, GetSysColor(colour));
          return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
        }
        break;
      }
      case WM_ERASEBKGND:
        return 1;  // the page is painted whole in WM_PAINT
      case WM_PAINT: {
        // Composed off-screen and copied in one step, so the page never flickers.
        // Only the part that needs it is composed.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        const RECT part = ps.rcPaint;
        if (backBuffer == nullptr) backBuffer = std::make_unique<Dib>(dc, kPageWidth + 1, kPageHeight + 1);
        if (backBuffer->ok() && part.right <= backBuffer->width() && part.bottom <= backBuffer->height()) {
          HDC buffer = backBuffer->dc();
          IntersectClipRect(buffer, part.left, part.top, part.right, part.bottom);
          PaintPage(buffer);
          SelectClipRgn(buffer, nullptr);
          BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, buffer, part.left, part.top,
                 SRCCOPY);
        } else {
          PaintPage(dc);
        }
        EndPaint(window, &ps);
        return 0;
      }
      case WM_PRINTCLIENT:
        // The self-drawn controls take what lies under them from here.
        PaintPage(reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_CLOSE:
        owner.RequestClose();
        return 0;
      case WM_GETOBJECT:
        // Until the object exists (while the window is being made) the system answers.
        if (accessible == nullptr) break;
        return accessible->Answer(wParam, lParam);
      default:
        if (accessible != nullptr && accessible->HandleAction(message, wParam)) return 0;
        if (message == app::kUninstallerDoneMessage) {
          wizard->HandleMessage(message, wParam);
          Sync();
          return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
};

Win32WizardWindow::Win32WizardWindow(platform::Win32Platform& platform) : impl_(std::make_unique<Impl>(*this, platform)) {}

Win32WizardWindow::~Win32WizardWindow() {
  if (impl_->window != nullptr) DestroyWindow(impl_->window);
  if (impl_->pictureSource != nullptr) DeleteDC(impl_->pictureSource);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(impl_->font), static_cast<HGDIOBJ>(impl_->boldFont),
                    static_cast<HGDIOBJ>(impl_->trackPicture), static_cast<HGDIOBJ>(impl_->barPicture)}) {
    if (o != nullptr) DeleteObject(o);
  }
  for (const auto& [id, bitmap] : impl_->pictures) {
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
}

int Win32WizardWindow::Run() {
  impl_->wizard = std::make_unique<app::TSetupWizard>(impl_->platform, *this);
  if (!impl_->Create()) return 1;
  impl_->platform.SetApplicationWindow(reinterpret_cast<platform::WindowHandle>(impl_->window));
  impl_->wizard->FormCreate();
  impl_->wizard->CentreOn(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  impl_->Sync();
  ShowWindow(impl_->window, SW_SHOWNORMAL);
  UpdateWindow(impl_->window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (impl_->PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  impl_->wizard->FormDestroy();
  return 0;
}

platform::WindowHandle Win32WizardWindow::WizardWindow() { return reinterpret_cast<platform::WindowHandle>(impl_->window); }

platform::WindowHandle Win32WizardWindow::ApplicationWindow() { return WizardWindow(); }

platform::WindowHandle Win32WizardWindow::ControlWindow(const std::string& name) {
  auto found = impl_->controls.find(name);
  return found == impl_->controls.end() ? 0 : reinterpret_cast<platform::WindowHandle>(found->second);
}

std::string Win32WizardWindow::ExecutablePath() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

void Win32WizardWindow::RequestClose() {
  if (impl_->closing) return;
  if (!impl_->wizard->FormCloseQuery()) {
    impl_->Sync();
    return;
  }
  // Closing the only window ends the program once the code beneath this call has returned.
  impl_->closing = true;
  ShowWindow(impl_->window, SW_HIDE);
  PostQuitMessage(0);
}

bool Win32WizardWindow::PickFolder(const std::string& start, const std::string& title, std::string& folder) {
  return sys::PickFolder(start, folder, title, reinterpret_cast<uintptr_t>(impl_->window));
}

void Win32WizardWindow::Refresh() {
  // The ZIP engine lets messages run for every block it writes, mostly with nothing new to show:
  // then this costs no call to the window system beyond reading the window's place.
  if (impl_->Sync()) UpdateWindow(impl_->window);
}

}  // namespace velmora::ui
