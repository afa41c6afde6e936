// The wizard's objects for screen readers: the main window's client object, whose one child is
// the shown page, and each page window's object, a dialog named by the page's heading that lists
// the page's texts, picture, controls and progress bar, read from the window model, with a click as
// every control's default action.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/WindowModel.h"
#include "ui/Accessible_win.h"

namespace velmora::ui {

class WizardControls;
class WizardPages;

class PageAccessibleSource : public AccessibleSource {
 public:
  // `click` does what a click on the control does.
  PageAccessibleSource(HWND page, int tag, const app::TWindowModel& model, const WizardControls& controls,
                       std::function<void(ControlId)> click)
      : page_(page), tag_(tag), model_(model), controls_(controls), click_(std::move(click)) {}

  std::vector<long> Children() override;
  bool IsChild(long child) override;
  AccessibleObject Describe(long child) override;
  HWND ChildWindow(long child) override;
  bool DoDefaultAction(long child) override;

  // The child id of a control: its place in the window description, counted from 1.
  static long ChildOf(ControlId control) { return long(control) + 1; }

 private:
  const ControlDescription* Control(long child) const;
  AccControlState StateOf(const ControlDescription& d);

  HWND page_;
  int tag_;
  const app::TWindowModel& model_;
  const WizardControls& controls_;
  std::function<void(ControlId)> click_;
};

class WizardAccessibleSource : public AccessibleSource {
 public:
  WizardAccessibleSource(HWND window, const app::TWindowModel& model, const WizardPages& pages)
      : window_(window), model_(model), pages_(pages) {}

  std::vector<long> Children() override;
  bool IsChild(long child) override;
  AccessibleObject Describe(long child) override;
  HWND ChildWindow(long child) override;
  bool DoDefaultAction(long) override { return false; }

 private:
  HWND window_;
  const app::TWindowModel& model_;
  const WizardPages& pages_;
};

// Names an edit or the memo by what describes it on the page, since no label window stands before
// it: the system's own object for the edit is annotated with the name, and keeps its caret, line
// reading and value setting for screen readers. Where the system cannot annotate (Wine), the edit
// answers with an object of its own instead.
void AttachAccessibleEdit(HWND edit, const ControlDescription& description);

}  // namespace velmora::ui
