// The wizard window's client object for screen readers.
#include "ui/WizardAccessibility_win.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/BmpButton_win.h"
#include "ui/GlyphButton_win.h"
#include "ui/WizardControls_win.h"

namespace velmora::ui {

const ControlDescription* WizardAccessibleSource::Control(long child) {
  const std::vector<ControlDescription>& controls = Controls();
  return child >= 1 && size_t(child) <= controls.size() ? &controls[size_t(child - 1)] : nullptr;
}

std::vector<long> WizardAccessibleSource::Children() {
  std::vector<long> ids;
  for (const ControlDescription* d : ClientChildren(model_.currentPage)) ids.push_back(ChildOf(d->id));
  return ids;
}

bool WizardAccessibleSource::IsChild(long child) { return Control(child) != nullptr; }

AccControlState WizardAccessibleSource::StateOf(const ControlDescription& d) {
  const app::TControlState& state = model_.Control(d.id);
  AccControlState c;
  c.control = &d;
  c.text = state.text;
  c.enabled = state.enabled && IsWindowEnabled(window_);  // not under a question box
  c.shown = model_.Shown(d.id) && !model_.hidden;
  c.checked = state.checked;
  c.left = state.left;
  c.top = state.top;
  c.width = state.width;
  c.height = state.height;
  if (IsLabel(d.kind)) {
    const Box box = LabelBox(d);
    c.width = box.right - box.left;
    c.height = box.bottom - box.top;
  }
  c.fullWidth = state.tag;
  if (HWND window = controls_.Window(d.id)) {
    c.focused = GetFocus() == window;
    if (TRzBmpButton* button = BmpButtonOf(window)) c.pressed = button->State() == TBmpButtonState::bsDown;
    if (TRzCustomGlyphButton* glyph = GlyphButtonOf(window)) c.pressed = glyph->Pressed();
  }
  return c;
}

AccessibleObject WizardAccessibleSource::Describe(long child) {
  if (const ControlDescription* d = Control(child)) return DescribeControl(StateOf(*d));
  AccessibleObject self;
  self.role = AccRole::kClient;
  char title[256];
  const int n = GetWindowTextA(window_, title, sizeof title);
  self.name.assign(title, n > 0 ? size_t(n) : 0);
  RECT client;
  GetClientRect(window_, &client);
  self.width = client.right;
  self.height = client.bottom;
  if (!IsWindowVisible(window_)) self.state |= accstate::kInvisible;
  if (GetFocus() == window_) self.state |= accstate::kFocused;
  return self;
}

HWND WizardAccessibleSource::ChildWindow(long child) {
  const ControlDescription* d = Control(child);
  return d != nullptr ? controls_.Window(d->id) : nullptr;
}

bool WizardAccessibleSource::DoDefaultAction(long child) {
  const ControlDescription* d = Control(child);
  if (d == nullptr || DescribeControl(StateOf(*d)).defaultAction.empty()) return false;
  click_(d->id);
  return true;
}

namespace {

constexpr UINT_PTR kAccessibleEditId = 0x414343;  // "ACC"

// The accessible object of one edit window, deleted with the window.
struct AccessibleEdit {
  AccessibleEdit(HWND edit, const ControlDescription& d)
      : source([edit, &d] {
          AccControlState c;
          c.control = &d;
          std::string text(size_t(GetWindowTextLengthA(edit)) + 1, '\0');
          text.resize(size_t(std::max(0, GetWindowTextA(edit, text.data(), int(text.size())))));
          c.text = text;
          c.enabled = ControlUsable(edit);
          c.shown = IsWindowVisible(edit) != FALSE;
          c.focused = GetFocus() == edit;
          RECT client;
          GetClientRect(edit, &client);
          c.width = client.right;
          c.height = client.bottom;
          return c;
        },
               [] {}),
        window(edit, source) {}
  SingleControlSource source;
  AccessibleWindow window;
};

LRESULT CALLBACK AccessibleEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* accessible = reinterpret_cast<AccessibleEdit*>(data);
  if (message == WM_GETOBJECT && LONG(lParam) == LONG(OBJID_CLIENT)) return accessible->window.Answer(wParam, lParam);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(edit, AccessibleEditProc, kAccessibleEditId);
    delete accessible;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void AttachAccessibleEdit(HWND edit, const ControlDescription& description) {
  auto* accessible = new AccessibleEdit(edit, description);
  if (!SetWindowSubclass(edit, AccessibleEditProc, kAccessibleEditId, reinterpret_cast<DWORD_PTR>(accessible))) {
    delete accessible;
  }
}

}  // namespace velmora::ui
