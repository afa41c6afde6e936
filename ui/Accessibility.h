// What a screen reader is told about the wizard window: for each control of the window
// description, the accessible object's role, name, value, states, keyboard shortcut, default action
// and place, and the order in which the window's client object lists the shown page. The Win32
// layer answers the system's accessibility queries from these. OS-independent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/WindowDescription.h"

namespace velmora::ui {

// Roles, with the values the system's accessibility interface uses for them.
enum class AccRole : uint32_t {
  kClient = 0x0A,
  kDialog = 0x12,
  kGraphic = 0x28,
  kStaticText = 0x29,
  kText = 0x2A,
  kPushButton = 0x2B,
  kCheckButton = 0x2C,
  kRadioButton = 0x2D,
  kProgressBar = 0x30,
};

// States, combined with |, with the system's values.
namespace accstate {
constexpr uint32_t kUnavailable = 0x1;
constexpr uint32_t kFocused = 0x4;
constexpr uint32_t kPressed = 0x8;
constexpr uint32_t kChecked = 0x10;
constexpr uint32_t kMixed = 0x20;
constexpr uint32_t kReadOnly = 0x40;
constexpr uint32_t kInvisible = 0x8000;
constexpr uint32_t kFocusable = 0x100000;
}  // namespace accstate

// What the window knows about one control at the moment of the query.
struct AccControlState {
  const ControlDescription* control = nullptr;
  std::string text;       // caption, label text or edit text, as shown now
  bool enabled = true;
  bool shown = false;     // the control and its page are visible
  bool focused = false;
  bool pressed = false;   // a button held down, or a check box under Space
  bool checked = false;
  bool grayed = false;    // a check box in its third state
  int left = 0, top = 0, width = 0, height = 0;  // in the window's client coordinates
  int fullWidth = 0;  // the progress bar: its width at 100 percent (its Tag)
};

struct AccessibleObject {
  AccRole role = AccRole::kClient;
  std::string name;
  std::string description;  // what the object says beyond its name (a page's instruction line)
  std::string value;
  std::string shortcut;       // "Alt+N", or empty
  std::string defaultAction;  // empty when the control has none
  uint32_t state = 0;
  int left = 0, top = 0, width = 0, height = 0;
};

// The accessible object of a control in the given state.
AccessibleObject DescribeControl(const AccControlState& control);

// A page as screen readers meet it: a dialog named by its heading (the text its heading label shows
// now, or the picture's where the page has no heading label), with the picture's instruction line
// as its description. It takes the focus on every page change.
AccessibleObject DescribePage(const PageDescription& page, const std::string& headingLabelText, bool shown,
                              bool focused);

// A caption as read aloud: without its access-key marks ("&&" reads as one "&").
std::string SpokenCaption(const std::string& caption);

// The controls of page `tag` that the window's client object lists, in this order: the labels in
// reading order (top to bottom, then left to right), the page picture, the windowed controls in
// tab order, and the progress bar on the progress page. The progress track is part of the bar.
std::vector<const ControlDescription*> ClientChildren(int tag);

// The progress bar's value for a bar `width` pixels wide out of `fullWidth`: "N%".
std::string ProgressValue(int width, int fullWidth);

}  // namespace velmora::ui
