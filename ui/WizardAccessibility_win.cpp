// The wizard's objects for screen readers.
#include "ui/WizardAccessibility_win.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>

#include <algorithm>
#include <string>

#include "ui/BmpButton_win.h"
#include "ui/GlyphButton_win.h"
#include "ui/WizardControls_win.h"
#include "ui/WizardPages_win.h"

namespace velmora::ui {

namespace {

// A page as screen readers meet it now, in its window's coordinates.
AccessibleObject DescribeShownPage(HWND page, int tag, const app::TWindowModel& model) {
  const PageDescription* description = PageOf(tag);
  if (description == nullptr || page == nullptr) return AccessibleObject{};
  const ControlDescription* heading = HeadingLabel(*description);
  return DescribePage(*description, heading != nullptr ? model.Control(heading->id).text : std::string(),
                      IsWindowVisible(page) && !model.hidden, GetFocus() == page);
}

}  // namespace

const ControlDescription* PageAccessibleSource::Control(long child) const {
  const std::vector<ControlDescription>& controls = Controls();
  if (child < 1 || size_t(child) > controls.size()) return nullptr;
  const ControlDescription* d = &controls[size_t(child - 1)];
  return d->pageTag == tag_ ? d : nullptr;
}

std::vector<long> PageAccessibleSource::Children() {
  std::vector<long> ids;
  for (const ControlDescription* d : ClientChildren(tag_)) ids.push_back(ChildOf(d->id));
  return ids;
}

bool PageAccessibleSource::IsChild(long child) { return Control(child) != nullptr; }

AccControlState PageAccessibleSource::StateOf(const ControlDescription& d) {
  const app::TControlState& state = model_.Control(d.id);
  AccControlState c;
  c.control = &d;
  c.text = state.text;
  HWND window = controls_.Window(d.id);
  if (window != nullptr) {
    // A control that is a window of its own is usable as its own object says: one test for both.
    c.enabled = ControlUsable(window);
    c.shown = IsWindowVisible(window) != FALSE;
  } else {
    c.enabled = state.enabled && IsWindowEnabled(GetAncestor(page_, GA_ROOT));  // not under a question box
    c.shown = model_.Shown(d.id) && !model_.hidden;
  }
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
  if (window != nullptr) {
    c.focused = GetFocus() == window;
    if (TRzBmpButton* button = BmpButtonOf(window)) c.pressed = button->State() == TBmpButtonState::bsDown;
    if (TRzCustomGlyphButton* glyph = GlyphButtonOf(window)) c.pressed = glyph->Pressed();
  }
  return c;
}

AccessibleObject PageAccessibleSource::Describe(long child) {
  if (const ControlDescription* d = Control(child)) return DescribeControl(StateOf(*d));
  return DescribeShownPage(page_, tag_, model_);
}

HWND PageAccessibleSource::ChildWindow(long child) {
  const ControlDescription* d = Control(child);
  return d != nullptr ? controls_.Window(d->id) : nullptr;
}

bool PageAccessibleSource::DoDefaultAction(long child) {
  const ControlDescription* d = Control(child);
  if (d == nullptr || DescribeControl(StateOf(*d)).defaultAction.empty()) return false;
  click_(d->id);
  return true;
}

// The pages are the client's children by their Tag counted from 1.
std::vector<long> WizardAccessibleSource::Children() {
  HWND page = pages_.Window(model_.currentPage);
  if (page == nullptr || !IsWindowVisible(page)) return {};
  return {long(model_.currentPage) + 1};
}

bool WizardAccessibleSource::IsChild(long child) { return PageOf(int(child) - 1) != nullptr; }

AccessibleObject WizardAccessibleSource::Describe(long child) {
  if (IsChild(child)) return DescribeShownPage(pages_.Window(int(child) - 1), int(child) - 1, model_);
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
  return IsChild(child) ? pages_.Window(int(child) - 1) : nullptr;
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

// Annotates the system's object of a window with a name; false when the system cannot.
bool AnnotateName(HWND window, const std::string& name) {
  const int n = MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), nullptr, 0);
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), wide.data(), n);
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(&services)))) {
    return false;
  }
  // The annotation lives with the window; the service object is not needed to keep it.
  const HRESULT result = services->SetHwndPropStr(window, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, wide.c_str());
  services->Release();
  return result == S_OK;
}

}  // namespace

void AttachAccessibleEdit(HWND edit, const ControlDescription& description) {
  AccControlState state;
  state.control = &description;
  if (AnnotateName(edit, DescribeControl(state).name)) return;
  auto* accessible = new AccessibleEdit(edit, description);
  if (!SetWindowSubclass(edit, AccessibleEditProc, kAccessibleEditId, reinterpret_cast<DWORD_PTR>(accessible))) {
    delete accessible;
  }
}

}  // namespace velmora::ui
