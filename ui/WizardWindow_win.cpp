// The wizard's Win32 window: one borderless top-level window with a child window for each page,
// whose controls are built from the window description. Every state change goes through the window
// model; after each event the model is brought to the screen (WizardSync), the pages repaint what
// changed (WizardPainter) and screen readers hear of it (the sources of WizardAccessibility). This
// file holds the message dispatch of the window and its pages.
#include "ui/WizardWindow_win.h"

#include <windows.h>

#include <string>

#include <map>

#include "app/ProductContract.h"
#include "platform/SysUi.h"
#include "resources/ResourceIds.h"
#include "ui/ControlWindow_win.h"
#include "ui/GlyphButton_win.h"
#include "ui/HighContrast_win.h"
#include "ui/MessagePump_win.h"
#include "ui/WindowText_win.h"
#include "ui/WizardAccessibility_win.h"
#include "ui/WizardControls_win.h"
#include "ui/WizardInput_win.h"
#include "ui/WizardPages_win.h"
#include "ui/WizardPainter_win.h"
#include "ui/WizardSync_win.h"

namespace velmora::ui {

namespace {

constexpr const char* kWindowClass = "TfrmKestrinSetupMain";

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
  // The parts of the window, made with it, each for one concern.
  std::unique_ptr<WizardPages> pages;
  std::unique_ptr<WizardControls> controls;
  std::unique_ptr<WizardInput> input;
  std::unique_ptr<WizardSync> sync;
  std::unique_ptr<WizardPainter> painter;
  std::unique_ptr<WizardAccessibleSource> accessSource;
  std::unique_ptr<AccessibleWindow> accessible;
  // Each page's object for screen readers, by Tag.
  struct PageObject {
    PageObject(HWND page, int tag, const app::TWindowModel& model, const WizardControls& controls,
               std::function<void(ControlId)> click)
        : source(page, tag, model, controls, std::move(click)), window(page, source) {}
    PageAccessibleSource source;
    AccessibleWindow window;  // answers from `source`
  };
  std::map<int, std::unique_ptr<PageObject>> pageObjects;
  // The control that held the focus when another program was activated; it gets it back.
  HWND focusBeforeDeactivation = nullptr;
  SystemColourBrushes editBrushes;  // the edits' and the memo's backgrounds
  bool syncing = false;  // the window's own changes raise no events
  bool closing = false;

  Impl(Win32WizardWindow& o, platform::Win32Platform& p) : owner(o), platform(p) {}

  ~Impl() {
    // The window first: its controls use the parts below until they are gone.
    if (window != nullptr) DestroyWindow(window);
    for (HFONT f : {font, boldFont}) {
      if (f != nullptr) DeleteObject(f);
    }
  }

  app::TWindowModel& Model() { return wizard->Window(); }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
      self = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->window = hwnd;
    }
    if (self == nullptr || self->wizard == nullptr || self->accessible == nullptr) {
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
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
    pages = std::make_unique<WizardPages>(window, [this](int tag, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
      return HandlePage(tag, page, message, wParam, lParam);
    });
    WizardControls::Events events;
    events.click = [this](ControlId id) { ButtonClicked(id); };
    events.glyphClicked = [this](ControlId id) { GlyphClicked(id); };
    events.memoKey = [this](uint32_t key) { wizard->KeyDown(ControlId::Memo1, key); };
    controls = std::make_unique<WizardControls>(window, *pages, font, Model(), std::move(events));
    input = std::make_unique<WizardInput>(window, *controls, Model());
    sync = std::make_unique<WizardSync>(window, *pages, *controls, *input);
    painter = std::make_unique<WizardPainter>(font, boldFont);
    for (const PageDescription& page : Pages()) {
      HWND pageWindow = pages->Window(page.tag);
      pageObjects[page.tag] = std::make_unique<PageObject>(pageWindow, page.tag, Model(), *controls,
                                                           [this](ControlId id) { DefaultAction(id); });
    }
    accessSource = std::make_unique<WizardAccessibleSource>(window, Model(), *pages);
    accessible = std::make_unique<AccessibleWindow>(window, *accessSource);
    return true;
  }

  // Brings the model to the screen and tells screen readers what the sync found changed: a new
  // page, a label's new text (the status line) and the bar's new value. Returns whether anything
  // on the screen changed.
  bool Sync() {
    syncing = true;
    DrawnChanges drawn;
    const bool changed = sync->Apply(Model(), drawn);
    HWND page = pages->Window(Model().currentPage);
    painter->Invalidate(drawn, Model(), page);
    if (drawn.newPage) NotifyReorder(window);
    for (ControlId label : drawn.labels) {
      NotifyNameChange(page, PageAccessibleSource::ChildOf(label));
      // The status line is a live region: screen readers speak it while the focus is elsewhere.
      if (label == ControlId::lbInfo) NotifyLiveRegion(page, PageAccessibleSource::ChildOf(label));
    }
    if (drawn.bar) NotifyValueChange(page, PageAccessibleSource::ChildOf(ControlId::imgbar));
    syncing = false;
    return changed || drawn.Any();
  }

  // --- What the controls and screen readers report ---

  void ButtonClicked(ControlId id) {
    if (syncing) return;
    wizard->Click(id);
    Sync();
  }

  // A check box or radio button changed itself on the user's input: that is what the user asked
  // for; the wizard decides, and the sync brings its decision onto every control of the page.
  void GlyphClicked(ControlId id) {
    if (syncing) return;
    if (TRzCustomGlyphButton* glyph = controls->Glyph(id)) wizard->Toggled(id, glyph->Checked());
    Sync();
  }

  // A screen reader's default action: what a click on the control does.
  void DefaultAction(ControlId id) {
    if (TRzCustomGlyphButton* glyph = GlyphButtonOf(controls->Window(id))) {
      glyph->Click();  // the control's own click path updates the model and runs the handler
      return;
    }
    ButtonClicked(id);
  }

  void EditChanged(ControlId edit) {
    const std::string typed = WindowText(controls->Window(edit));
    Model().SetText(edit, typed);
    Sync();
  }

  // --- Messages ---

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND: {
        const std::optional<ControlId> id = controls->FromCommand(LOWORD(wParam));
        if (!id || syncing) break;
        if (HIWORD(wParam) == EN_CHANGE) {
          EditChanged(*id);
        } else if (HIWORD(wParam) == BN_CLICKED) {
          ButtonClicked(*id);
        } else {
          break;
        }
        return 0;
      }
      case WM_TIMER:
        if (wParam == kShowTimer) {
          // Stop the system timer first: the check may open message boxes whose own message loop
          // would otherwise let the timer fire again beneath them.
          KillTimer(window, kShowTimer);
          sync->TimerStopped();
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
        wizard->KeyDown(std::nullopt, uint32_t(wParam));
        break;
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORSTATIC:
        if (const std::optional<ControlId> id = controls->Find(reinterpret_cast<HWND>(lParam))) {
          if (LRESULT brush = EditColours(reinterpret_cast<HDC>(wParam), *id)) return brush;
        }
        break;
      case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
      case WM_PAINT:
        painter->PaintUncovered(window);
        return 0;
      case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focused = GetFocus();
          focusBeforeDeactivation = focused != nullptr && IsChild(window, focused) ? focused : nullptr;
        }
        break;
      case WM_SETFOCUS:
        FocusShownPage();
        return 0;
      case WM_SYSCOLORCHANGE:
      case WM_SETTINGCHANGE:
        LookChanged();
        break;
      case WM_CLOSE:
        owner.RequestClose();
        return 0;
      case WM_GETOBJECT:
        return accessible->Answer(wParam, lParam);
      default:
        if (accessible->HandleAction(message, wParam)) return 0;
        if (message == app::kUninstallerDoneMessage) {
          wizard->HandleMessage(message, wParam);
          Sync();
          return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  // The window itself never keeps the focus while a page shows: the control that had it before
  // another program was activated gets it back, or else the page.
  void FocusShownPage() {
    HWND target = focusBeforeDeactivation;
    focusBeforeDeactivation = nullptr;
    HWND page = pages->Window(Model().currentPage);
    if (target == nullptr || !IsChild(page, target) || !CanTakeFocus(target)) target = page;
    if (target != nullptr && IsWindowVisible(target)) SetFocus(target);
  }

  // A page window's messages: it paints its page, takes the mouse and the keys as the window does
  // and answers screen readers for its page; what its controls report goes on to the window.
  LRESULT HandlePage(int tag, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    auto object = pageObjects.find(tag);
    if (object == pageObjects.end() || accessible == nullptr) return DefWindowProcA(page, message, wParam, lParam);
    AccessibleWindow& accessiblePage = object->second->window;
    switch (message) {
      case WM_COMMAND:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORSTATIC:
        return Handle(message, wParam, lParam);
      case WM_ERASEBKGND:
        return 1;  // the page is painted whole in WM_PAINT
      case WM_PAINT:
        painter->Paint(page, tag, Model());
        return 0;
      case WM_PRINTCLIENT:
        // The self-drawn controls take what lies under them from here.
        painter->PaintPage(reinterpret_cast<HDC>(wParam), tag, Model());
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: {
        POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        MapWindowPoints(page, window, &at, 1);
        wizard->FormMouseDown(at.x, at.y);
        return 0;
      }
      case WM_KEYDOWN:
        // The page holding the focus stands for the window holding it.
        wizard->KeyDown(std::nullopt, uint32_t(wParam));
        break;
      case WM_SETFOCUS:
        NotifyFocus(page);
        return 0;
      case WM_GETOBJECT:
        return accessiblePage.Answer(wParam, lParam);
      default:
        if (accessiblePage.HandleAction(message, wParam)) return 0;
        break;
    }
    return DefWindowProcA(page, message, wParam, lParam);
  }

  // The licence is on white; the folder edits are white while enabled and grey while not. Under
  // high contrast all three take the system's colours for text and background. Returns the
  // background brush, or 0 for the system's colours.
  LRESULT EditColours(HDC dc, ControlId id) {
    const ControlKind kind = Describe(id).kind;
    if (kind != ControlKind::kMemo && kind != ControlKind::kFramedEdit) return 0;
    const bool enabled = IsWindowEnabled(controls->Window(id)) != FALSE;
    if (HighContrastOn()) {
      const int background = kind == ControlKind::kMemo || enabled ? COLOR_WINDOW : COLOR_BTNFACE;
      SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      SetBkColor(dc, GetSysColor(background));
      return reinterpret_cast<LRESULT>(editBrushes.Brush(background));
    }
    if (kind == ControlKind::kMemo) {
      SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    const int colour = enabled ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(colour));
    return reinterpret_cast<LRESULT>(editBrushes.Brush(colour));
  }

  static BOOL CALLBACK TellColoursChanged(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
  }

  // The system's colours or its high-contrast setting changed: every window of the wizard repaints
  // in the new look, the self-drawn controls taking anew what lies under them.
  void LookChanged() {
    HighContrastChanged();
    EnumChildWindows(window, TellColoursChanged, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }
};

Win32WizardWindow::Win32WizardWindow(platform::Win32Platform& platform) : impl_(std::make_unique<Impl>(*this, platform)) {}

Win32WizardWindow::~Win32WizardWindow() = default;

int Win32WizardWindow::Run() {
  impl_->wizard = std::make_unique<app::TSetupWizard>(impl_->platform, *this);
  if (!impl_->Create()) return 1;
  impl_->platform.SetApplicationWindow(reinterpret_cast<platform::WindowHandle>(impl_->window));
  impl_->wizard->FormCreate();
  impl_->wizard->CentreOn(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  impl_->Sync();
  ShowWindow(impl_->window, SW_SHOWNORMAL);
  UpdateWindow(impl_->window);
  // One pump for the program's loop and for the message points of the installation.
  MessagePump pump([this](const MSG& msg) { return impl_->input->PreTranslate(msg); });
  impl_->platform.SetMessagePump([&pump] { pump.RunPending(); });
  pump.Run();
  impl_->platform.SetMessagePump({});
  impl_->wizard->FormDestroy();
  return 0;
}

platform::WindowHandle Win32WizardWindow::WizardWindow() { return reinterpret_cast<platform::WindowHandle>(impl_->window); }

platform::WindowHandle Win32WizardWindow::ApplicationWindow() { return WizardWindow(); }

platform::WindowHandle Win32WizardWindow::ControlWindow(ControlId control) {
  return reinterpret_cast<platform::WindowHandle>(impl_->controls->Window(control));
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
