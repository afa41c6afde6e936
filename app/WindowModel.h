// A plain model of the wizard window: its size and place, the shown page, every control's state by
// name, the two timers and the focus. The wizard core works on this model only; the Win32 window
// renders it and feeds events back. OS-independent.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "ui/WindowDescription.h"

namespace velmora::app {

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

  // The control of this name; std::out_of_range for a name the window does not have.
  TControlState& Control(const std::string& name);
  const TControlState& Control(const std::string& name) const;

  // Sets an edit's or label's text; an edit's change handler runs on every change, as the window's
  // own edits do.
  void SetText(const std::string& name, const std::string& text);
  // Called with the edit's name after each text change.
  std::function<void(const std::string& name)> OnTextChange;

  int left = 0, top = 0, width = 0, height = 0;
  int currentPage = -1;  // Tag of the page shown
  std::map<int, bool> pageVisible;  // by page Tag
  TTimerState tmshow;
  TTimerState tmReCheck;
  std::string focused;  // the control with the keyboard focus, or empty for the window itself
  bool hidden = false;

 private:
  std::map<std::string, TControlState> controls_;
};

}  // namespace velmora::app
