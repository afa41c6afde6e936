// Brings the window model onto the screen's windows: the shown page, each control's text, enabled,
// checked and shown state, the focus, the window's place and size, and the show timer. Only what
// changed since the last sync is passed on: each call may be a round trip to the window system,
// and the installation syncs for every file.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "app/WindowModel.h"
#include "ui/WizardControls_win.h"
#include "ui/WizardInput_win.h"
#include "ui/WizardPages_win.h"

namespace velmora::ui {

// The system timer that stands for the model's show timer.
constexpr UINT_PTR kShowTimer = 1;

// What changed among the things the pages draw themselves, which they repaint and screen readers
// hear of: a new page, a label's new text on the shown page, the bar's new width.
struct DrawnChanges {
  bool newPage = false;
  std::vector<ControlId> labels;  // on the same page
  bool bar = false;               // on the same page
  bool Any() const { return newPage || bar || !labels.empty(); }
};

class WizardSync {
 public:
  WizardSync(HWND window, const WizardPages& pages, const WizardControls& controls, const WizardInput& input)
      : window_(window), pages_(pages), controls_(controls), input_(input) {}

  // Passes the model's changes on; returns whether anything on the screen changed, and what the
  // pages draw themselves in `drawn`. Clears the model's focus request once the focus moved.
  bool Apply(app::TWindowModel& model, DrawnChanges& drawn);
  // The window stopped the system timer itself.
  void TimerStopped() { timerRunning_ = false; }

 private:
  // The state last passed on to each control.
  struct Applied {
    std::string text;
    bool enabled = true, shown = false;
    bool known = false;
  };
  bool ApplyPages(const app::TWindowModel& model);
  void CompareDrawn(const app::TWindowModel& model, bool newPage, DrawnChanges& drawn);
  void FocusNewPage(const app::TWindowModel& model);
  bool FocusMayMove(const app::TWindowModel& model) const;
  bool ApplyControl(const app::TWindowModel& model, const ControlDescription& d, bool& focusMayMove);
  // `focused`: the control that held the focus before the changes were passed on.
  void HandFocusOn(const app::TWindowModel& model, std::optional<ControlId> focused);

  HWND window_;
  const WizardPages& pages_;
  const WizardControls& controls_;
  const WizardInput& input_;
  std::array<Applied, kControlCount> applied_{};
  std::map<int, bool> pagesShown_;  // by Tag, as last passed on
  int appliedPage_ = -1;
  std::map<ControlId, std::string> drawnTexts_;  // the labels of the shown page, as last drawn
  int drawnBar_ = -1;
  bool timerRunning_ = false;
};

}  // namespace velmora::ui
