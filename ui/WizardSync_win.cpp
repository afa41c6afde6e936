// Brings the window model onto the screen's controls.
#include "ui/WizardSync_win.h"

#include "ui/GlyphButton_win.h"

namespace velmora::ui {

namespace {

bool ShowsText(HWND edit, const std::string& text) {
  std::string shown(size_t(GetWindowTextLengthA(edit)) + 1, '\0');
  const int n = GetWindowTextA(edit, shown.data(), int(shown.size()));
  shown.resize(size_t(n > 0 ? n : 0));
  return shown == text;
}

}  // namespace

bool WizardSync::ApplyControl(const app::TWindowModel& model, const ControlDescription& d, bool& focusMayMove) {
  HWND control = controls_.Window(d.id);
  if (control == nullptr) return false;
  const app::TControlState& state = model.Control(d.id);
  const bool shown = state.visible;  // its page's window shows it with the page
  Applied& last = applied_[size_t(d.id)];
  bool changed = false;
  // The memo's text is the licence, which the model does not hold. An edit may show the new text
  // already, as the user typed it: rewriting it would move the caret.
  if (d.kind != ControlKind::kMemo && (!last.known || last.text != state.text) &&
      !(d.kind == ControlKind::kFramedEdit && ShowsText(control, state.text))) {
    SetWindowTextA(control, state.text.c_str());
    changed = true;
  }
  if (!last.known || last.enabled != state.enabled) {
    EnableWindow(control, state.enabled);
    changed = focusMayMove = true;
  }
  // A check box or radio button may have changed itself on the user's input: what it shows is
  // compared, not what was last passed on (asking it costs no call to the window system).
  if (TRzCustomGlyphButton* glyph = controls_.Glyph(d.id); glyph != nullptr && glyph->Checked() != state.checked) {
    glyph->SetChecked(state.checked);
    changed = true;
  }
  if (!last.known || last.shown != shown) {
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    changed = focusMayMove = true;
  }
  last = Applied{state.text, state.enabled, shown, true};
  return changed;
}

// A control that can no longer hold the focus hands it on, as the window does for a control disabled
// while focused. The system itself drops the focus of a window it disables, which would leave the
// keyboard nowhere (Tab reaches no control), so the control that held the focus before the changes
// decides. A hidden control's focus goes to the page.
void WizardSync::HandFocusOn(const app::TWindowModel& model, std::optional<ControlId> focused) {
  if (!focused || model.CanFocus(*focused)) return;
  const HWND now = GetFocus();
  if (now != nullptr && now != controls_.Window(*focused)) return;
  const std::optional<ControlId> next = input_.NextTabStop(focused);
  SetFocus(next ? controls_.Window(*next) : pages_.Window(model.currentPage));
}

// Shows the model's pages, the new one before the old one goes, so that nothing shows through
// between them. Returns whether a page was shown or hidden.
bool WizardSync::ApplyPages(const app::TWindowModel& model) {
  bool changed = false;
  for (const bool showing : {true, false}) {
    for (const PageDescription& page : Pages()) {
      auto visible = model.pageVisible.find(page.tag);
      const bool shown = visible != model.pageVisible.end() && visible->second;
      auto last = pagesShown_.find(page.tag);
      if (shown != showing || (last != pagesShown_.end() && last->second == shown)) continue;
      ShowWindow(pages_.Window(page.tag), shown ? SW_SHOWNA : SW_HIDE);
      pagesShown_[page.tag] = shown;
      changed = true;
    }
  }
  return changed;
}

// Every page change, whoever makes it, hands the keyboard focus to the new page, which screen
// readers then announce by its heading. The page itself takes it, not a control on it: a key held
// or pressed twice on the old page must not act on the new one. While another program is active
// the wizard's own activation does the same.
void WizardSync::FocusNewPage(const app::TWindowModel& model) {
  HWND focused = GetFocus();
  if (focused == nullptr || (focused != window_ && !IsChild(window_, focused))) return;
  HWND page = pages_.Window(model.currentPage);
  SetFocus(page != nullptr && IsWindowVisible(page) ? page : window_);
}

// Whether passing the model on will enable, disable, show or hide a control. Asking the system for
// the focus is a round trip to the window server, and the installation syncs at every message
// point of the extraction, mostly with nothing new for the controls.
bool WizardSync::FocusMayMove(const app::TWindowModel& model) const {
  for (const ControlDescription& d : Controls()) {
    if (controls_.Window(d.id) == nullptr) continue;  // drawn by the window, never focused
    const Applied& last = applied_[size_t(d.id)];
    const app::TControlState& state = model.Control(d.id);
    if (!last.known || last.enabled != state.enabled || last.shown != state.visible) return true;
  }
  return false;
}

// The labels and the bar of the shown page against what was last drawn; a new page is drawn whole.
void WizardSync::CompareDrawn(const app::TWindowModel& model, bool newPage, DrawnChanges& drawn) {
  drawn.newPage = newPage;
  if (newPage) {
    drawnTexts_.clear();
    drawnBar_ = -1;
  }
  for (const ControlDescription& d : Controls()) {
    if (!IsLabel(d.kind) || d.pageTag != model.currentPage) continue;
    const std::string& text = model.Control(d.id).text;
    auto last = drawnTexts_.find(d.id);
    if (last != drawnTexts_.end() && last->second == text) continue;
    drawnTexts_[d.id] = text;
    if (!newPage) drawn.labels.push_back(d.id);
  }
  const int bar = model.Control(ControlId::imgbar).width;
  if (bar != drawnBar_) {
    drawnBar_ = bar;
    drawn.bar = !newPage;
  }
}

bool WizardSync::Apply(app::TWindowModel& model, DrawnChanges& drawn) {
  bool changed = ApplyPages(model);
  bool focusMayMove = false;
  const std::optional<ControlId> focused =
      FocusMayMove(model) ? controls_.Find(GetFocus()) : std::nullopt;
  for (const ControlDescription& d : Controls()) {
    if (ApplyControl(model, d, focusMayMove)) changed = true;
  }
  const bool newPage = model.currentPage != appliedPage_;
  CompareDrawn(model, newPage, drawn);
  if (newPage) {
    appliedPage_ = model.currentPage;
    FocusNewPage(model);
  } else if (focusMayMove) {
    HandFocusOn(model, focused);
  }
  RECT r;
  GetWindowRect(window_, &r);
  if (r.left != model.left || r.top != model.top || r.right - r.left != model.width || r.bottom - r.top != model.height) {
    SetWindowPos(window_, nullptr, model.left, model.top, model.width, model.height, SWP_NOZORDER | SWP_NOACTIVATE);
    changed = true;
  }
  if (model.tmshow.running != timerRunning_) {
    timerRunning_ = model.tmshow.running;
    if (timerRunning_) {
      SetTimer(window_, kShowTimer, model.tmshow.interval, nullptr);
    } else {
      KillTimer(window_, kShowTimer);
    }
  }
  if (model.focused) {
    SetFocus(controls_.Window(*model.focused));
    model.focused.reset();
  }
  if (model.hidden && IsWindowVisible(window_)) {
    ShowWindow(window_, SW_HIDE);
    changed = true;
  }
  return changed;
}

}  // namespace velmora::ui
