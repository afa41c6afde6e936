// The wizard window's client object for screen readers: the shown page's texts, picture, controls
// and progress bar, read from the window model, with a click as every control's default action.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "app/WindowModel.h"
#include "ui/Accessible_win.h"

namespace velmora::ui {

class WizardAccessibleSource : public AccessibleSource {
 public:
  // `controls` are the windows of the windowed controls by name; `click` does what a click on the
  // named control does.
  WizardAccessibleSource(HWND window, const app::TWindowModel& model, const std::map<std::string, HWND>& controls,
                         std::function<void(const std::string&)> click)
      : window_(window), model_(model), controls_(controls), click_(std::move(click)) {}

  std::vector<long> Children() override;
  bool IsChild(long child) override;
  AccessibleObject Describe(long child) override;
  HWND ChildWindow(long child) override;
  bool DoDefaultAction(long child) override;

  // The child id of a control: its place in the window description, counted from 1.
  static long ChildOf(const std::string& name);

 private:
  static const ControlDescription* Control(long child);
  AccControlState StateOf(const ControlDescription& d);

  HWND window_;
  const app::TWindowModel& model_;
  const std::map<std::string, HWND>& controls_;
  std::function<void(const std::string&)> click_;
};

// Gives an edit or the memo its own accessible object, named by what describes it on the page:
// the system's own object for an edit knows no name, since no label window stands before it.
void AttachAccessibleEdit(HWND edit, const ControlDescription& description);

}  // namespace velmora::ui
