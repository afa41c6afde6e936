// The wizard window's windowed controls.
#include "ui/WizardControls_win.h"

#include <commctrl.h>

#include "app/LicenceText.h"
#include "resources/ResourceIds.h"
#include "ui/BmpButton_win.h"
#include "ui/Dib_win.h"
#include "ui/EditFrame_win.h"
#include "ui/GlyphButton_win.h"
#include "ui/InputMethod.h"
#include "ui/InputMethod_win.h"
#include "ui/VisualStyles_win.h"
#include "ui/WizardAccessibility_win.h"
#include "ui/WizardInput_win.h"
#include "ui/WizardPages_win.h"

namespace velmora::ui {

namespace {

// A control's command id: its identity's value above the ids the system uses for its own.
constexpr int kFirstControlId = 100;

// The folder edits' frame while hot: 5876991, an orange.
constexpr COLORREF kFrameHotColour = RGB(255, 172, 89);

// The bitmaps of a button kind: Up, Hot, Down, Disabled resources (0 where the set has none).
struct ButtonBitmaps {
  int up, hot, down, disabled;
};
ButtonBitmaps BitmapsOf(ControlKind kind) {
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

int CommandIdOf(ControlId id) { return kFirstControlId + int(id); }

}  // namespace

WizardControls::WizardControls(HWND window, const WizardPages& pages, HFONT font, const app::TWindowModel& model,
                               Events events)
    : window_(window), pages_(pages), font_(font), events_(std::move(events)) {
  for (const ControlDescription* entry : CreationOrder()) {
    const ControlDescription& d = *entry;
    const app::TControlState& state = model.Control(d.id);
    switch (d.kind) {
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton:
        windows_[size_t(d.id)] = CreateGlyphControl(d, state);
        glyphs_[size_t(d.id)] = GlyphButtonOf(windows_[size_t(d.id)]);
        break;
      case ControlKind::kFramedEdit:
      case ControlKind::kMemo:
        windows_[size_t(d.id)] = CreateEdit(d, state.text);
        break;
      default:
        windows_[size_t(d.id)] = CreateButton(d, state.text);
        break;
    }
  }
  AddTooltips();
  DecorateEdits();
}

WizardControls::~WizardControls() = default;

std::optional<ControlId> WizardControls::Find(HWND control) const {
  if (control == nullptr) return std::nullopt;
  for (size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i] == control) return ControlId(i);
  }
  return std::nullopt;
}

std::optional<ControlId> WizardControls::FromCommand(int commandId) const {
  const int index = commandId - kFirstControlId;
  if (index < 0 || size_t(index) >= kControlCount || windows_[size_t(index)] == nullptr) return std::nullopt;
  return ControlId(index);
}

bool WizardControls::TakesTab(const app::TWindowModel& model, ControlId id) const {
  return model.CanFocus(id) && (GetWindowLongA(Window(id), GWL_STYLE) & WS_TABSTOP) != 0;
}

HWND WizardControls::CreateButton(const ControlDescription& d, const std::string& text) {
  const ButtonBitmaps set = BitmapsOf(d.kind);
  BmpButtonSetup setup;
  setup.description = &d;
  setup.caption = text;
  setup.font = font_;
  // Only the close and browse buttons show the focus.
  setup.showFocus =
      d.kind == ControlKind::kCloseButton || d.id == ControlId::RzBmpButton10 || d.id == ControlId::RzBmpButton11;
  setup.up = LoadBitmapResource(set.up);
  setup.hot = LoadBitmapResource(set.hot);
  setup.down = LoadBitmapResource(set.down);
  setup.disabled = LoadBitmapResource(set.disabled);
  setup.onClick = [this, id = d.id] { events_.click(id); };
  return CreateBmpButton(pages_.Window(d.pageTag), CommandIdOf(d.id), d.left, d.top, setup);
}

HWND WizardControls::CreateGlyphControl(const ControlDescription& d, const app::TControlState& state) {
  GlyphButtonSetup setup;
  setup.description = &d;
  setup.radio = d.kind == ControlKind::kRadioButton;
  setup.caption = state.text;
  setup.font = font_;
  setup.vertical = d.id == ControlId::chbAgree || setup.radio ? avCenter : avTop;
  setup.checked = state.checked;
  if (setup.radio) {
    // No sibling group: the wizard keeps its pages' radio buttons one group, and the sync
    // unchecks the others.
    setup.strip = LoadBitmapResource(IDB_RADIO_STRIP);
    setup.transparentColor = clFuchsia;
    setup.winMaskColor = clFuchsia;
  }
  setup.onClick = [this, id = d.id] { events_.glyphClicked(id); };
  const RECT box = {d.left, d.top, d.left + d.width, d.top + d.height};
  return CreateGlyphButton(pages_.Window(d.pageTag), CommandIdOf(d.id), box, setup);
}

HWND WizardControls::CreateEdit(const ControlDescription& d, const std::string& text) {
  DWORD style = WS_CHILD | WS_TABSTOP;
  DWORD exStyle = 0;
  if (d.kind == ControlKind::kMemo) {
    // The platform's own border while visual styles are active; otherwise the flat grey line
    // that DecorateEdits attaches.
    style |= ES_MULTILINE | ES_READONLY | WS_VSCROLL;
    if (VisualStylesActive()) exStyle = WS_EX_CLIENTEDGE;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  HWND edit = CreateWindowExA(exStyle, "EDIT", text.c_str(), style, d.left, d.top, d.width, d.height,
                              pages_.Window(d.pageTag),
                              reinterpret_cast<HMENU>(intptr_t(CommandIdOf(d.id))), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return edit;
}

void WizardControls::DecorateEdits() {
  HWND memo = Window(ControlId::Memo1);
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
  for (ControlId edit : {ControlId::edtSetupPath, ControlId::edtUserpath}) AttachEditFrame(Window(edit), framed);
  AttachInputMethod(Window(ControlId::edtUserpath), kUserpathInputMethod);
  for (ControlId edit : {ControlId::edtSetupPath, ControlId::edtUserpath, ControlId::Memo1}) {
    AttachAccessibleEdit(Window(edit), Describe(edit));
  }
}

// The close buttons whose hint shows carry a tooltip.
void WizardControls::AddTooltips() {
  HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
  for (const ControlDescription& d : Controls()) {
    if (!d.showHint || d.hint == nullptr) continue;
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = pages_.Window(d.pageTag);
    tool.uId = reinterpret_cast<UINT_PTR>(Window(d.id));
    tool.lpszText = const_cast<char*>(d.hint);
    SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

LRESULT CALLBACK WizardControls::MemoProc(HWND memo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<WizardControls*>(data);
  if (message == WM_KEYDOWN) self->events_.memoKey(uint32_t(wParam));
  if (message == WM_MOUSEWHEEL) {
    ScrollMemoByWheel(memo, GET_WHEEL_DELTA_WPARAM(wParam));
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(memo, MemoProc, 1);
  return DefSubclassProc(memo, message, wParam, lParam);
}

}  // namespace velmora::ui
