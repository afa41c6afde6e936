// A plain model of the wizard window: its size and place, the shown page, every control's state by
// name, the two timers and the focus. The wizard core works on this model only; the Win32 window
// renders it and feeds events back. OS-independent.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ui/WindowDescription.h"

namespace velmora::app {

using ui::ControlId;

struct TControlState {
  const ui::ControlDescription* description = nullptr;
  std::string text;  // caption or edit text
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int tag = 0;
  int left = 0, top = 0, width = 0, height = 0;
};

struct TTimerState {
  bool running = false;
  int tag = 0;
  unsigned interval = 500;  // milliseconds
};

class TWindowModel {
 public:
  // Every control of the window description in its starting state; no page shown yet.
  TWindowModel();

  TControlState& Control(ui::ControlId id) { return controls_[size_t(id)]; }
  const TControlState& Control(ui::ControlId id) const { return controls_[size_t(id)]; }

  // Sets an edit's or label's text; an edit's change handler runs on every change, as the window's
  // own edits do.
  void SetText(ui::ControlId id, const std::string& text);
  // Whether the control is on screen: its page is shown and it is visible.
  bool Shown(ui::ControlId id) const;
  // Whether the control can take the keyboard focus: shown and enabled.
  bool CanFocus(ui::ControlId id) const { return Shown(id) && Control(id).enabled; }
  // Called with the edit after each text change.
  std::function<void(ui::ControlId edit)> OnTextChange;

  int left = 0, top = 0, width = 0, height = 0;
  int currentPage = -1;  // Tag of the page shown
  std::map<int, bool> pageVisible;  // by page Tag
  TTimerState tmshow;
  TTimerState tmReCheck;
  // The control the window is to give the keyboard focus to next; the window clears it.
  std::optional<ui::ControlId> focused;
  bool hidden = false;

 private:
  std::array<TControlState, ui::kControlCount> controls_;
};

}  // namespace velmora::app
