// The wizard window's keyboard and wheel.
#include "ui/WizardInput_win.h"

#include "ui/BmpButton_win.h"
#include "ui/GlyphButton_win.h"
#include "ui/WheelScroll.h"

namespace velmora::ui {

namespace {

// Bitmap buttons, check boxes and radio buttons take no character input: a letter typed on them is
// an access key, and the arrow keys move the focus.
bool TakesNoText(ControlKind kind) { return kind != ControlKind::kFramedEdit && kind != ControlKind::kMemo; }

bool KeyIsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

CanFocusFn WizardInput::TabStops() const {
  return [this](const ControlDescription& d) { return controls_.TakesTab(model_, d.id); };
}

std::optional<ControlId> WizardInput::NextTabStop(std::optional<ControlId> from) const {
  const ControlDescription* next = TabTarget(from ? &Describe(*from) : nullptr, true, TabStops());
  return next != nullptr ? std::optional<ControlId>(next->id) : std::nullopt;
}

void WizardInput::Focus(const ControlDescription* d) {
  if (d != nullptr) SetFocus(controls_.Window(d->id));
}

bool WizardInput::PreTranslate(const MSG& msg) {
  if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)) return false;
  const std::optional<ControlId> focusedId = controls_.Find(GetFocus());
  const ControlDescription* focused = focusedId ? &Describe(*focusedId) : nullptr;
  const bool alt = KeyIsDown(VK_MENU);
  auto canFocus = [this](const ControlDescription& d) { return model_.CanFocus(d.id); };
  switch (msg.message) {
    case WM_KEYDOWN:
      if (msg.wParam == VK_TAB && !alt) {
        Focus(TabTarget(focused, !KeyIsDown(VK_SHIFT), TabStops()));
        return true;
      }
      if (focused != nullptr && TakesNoText(focused->kind) && !alt &&
          (msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT || msg.wParam == VK_UP || msg.wParam == VK_DOWN)) {
        const bool forward = msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN;
        Focus(ArrowTarget(*focused, forward, canFocus));
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

// Offers a typed access key to the controls in creation order; the first that can take the focus and
// carries the key acts on it. Edits and the memo carry no access key.
bool WizardInput::OfferAccessKey(char typed) {
  const ControlDescription* target = AccessKeyTarget(
      typed,
      [this](const ControlDescription& d) { return TakesNoText(d.kind) ? model_.Control(d.id).text.c_str() : nullptr; },
      [this](const ControlDescription& d) { return model_.CanFocus(d.id); });
  if (target == nullptr) return false;
  HWND control = controls_.Window(target->id);
  if (TRzBmpButton* button = BmpButtonOf(control)) return button->AccessKey(static_cast<unsigned char>(typed));
  if (TRzCustomGlyphButton* glyph = GlyphButtonOf(control)) return glyph->AccessKey(typed);
  return false;
}

// The edit control's own wheel handling carries partial notches over; the memo scrolls by whole
// notches only.
void ScrollMemoByWheel(HWND memo, int delta) {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  const WheelScroll plan = PlanWheelScroll(delta, lines);
  const WPARAM step = plan.byPage ? (plan.down ? SB_PAGEDOWN : SB_PAGEUP) : (plan.down ? SB_LINEDOWN : SB_LINEUP);
  for (uint64_t i = 0; i < plan.steps; ++i) {
    const LRESULT before = SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(memo, WM_VSCROLL, step, 0);
    if (SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0) == before) break;
  }
}

}  // namespace velmora::ui
