// The wizard window's keyboard and wheel: Tab, the arrow keys and access keys are routed by the
// window before the focused control sees them, and the licence memo scrolls by whole wheel notches.
#pragma once

#include <windows.h>

#include "app/WindowModel.h"
#include "ui/KeyboardNavigation.h"
#include "ui/WizardControls_win.h"

namespace velmora::ui {

class WizardInput {
 public:
  WizardInput(HWND window, const WizardControls& controls, const app::TWindowModel& model)
      : window_(window), controls_(controls), model_(model) {}

  // Tab, the arrow keys and access keys of a message for the window or one of its controls; true
  // when the message was handled here and is not to be dispatched.
  bool PreTranslate(const MSG& msg);
  // The control that gets the focus when the focused one can no longer hold it: the next tab stop,
  // or none (the window itself).
  std::optional<ControlId> NextTabStop(std::optional<ControlId> from) const;

 private:
  CanFocusFn TabStops() const;
  bool OfferAccessKey(char typed);
  void Focus(const ControlDescription* d);

  HWND window_;
  const WizardControls& controls_;
  const app::TWindowModel& model_;
};

// Scrolls the memo by whole wheel notches, one step at a time, stopping as soon as a step no longer
// moves the text.
void ScrollMemoByWheel(HWND memo, int delta);

}  // namespace velmora::ui
