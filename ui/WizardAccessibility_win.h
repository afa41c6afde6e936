// The wizard window's client object for screen readers: the shown page's texts, picture, controls
// and progress bar, read from the window model, with a click as every control's default action.
#pragma once

#include <windows.h>

#include <functional>

#include "app/WindowModel.h"
#include "ui/Accessible_win.h"

namespace velmora::ui {

class WizardControls;

class WizardAccessibleSource : public AccessibleSource {
 public:
  // `click` does what a click on the control does.
  WizardAccessibleSource(HWND window, const app::TWindowModel& model, const WizardControls& controls,
                         std::function<void(ControlId)> click)
      : window_(window), model_(model), controls_(controls), click_(std::move(click)) {}

  std::vector<long> Children() override;
  bool IsChild(long child) override;
  AccessibleObject Describe(long child) override;
  HWND ChildWindow(long child) override;
  bool DoDefaultAction(long child) override;

  // The child id of a control: its place in the window description, counted from 1.
  static long ChildOf(ControlId control) { return long(control) + 1; }

 private:
  static const ControlDescription* Control(long child);
  AccControlState StateOf(const ControlDescription& d);

  HWND window_;
  const app::TWindowModel& model_;
  const WizardControls& controls_;
  std::function<void(ControlId)> click_;
};

// Gives an edit or the memo its own accessible object, named by what describes it on the page:
// the system's own object for an edit knows no name, since no label window stands before it.
void AttachAccessibleEdit(HWND edit, const ControlDescription& description);

}  // namespace velmora::ui
