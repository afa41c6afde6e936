// Where the keyboard moves the focus and which control an access key reaches, over the window
// description. OS-independent; the Win32 window asks these with its controls' live state.
#pragma once

#include <functional>
#include <vector>

#include "ui/AccessKey.h"
#include "ui/WindowDescription.h"

namespace velmora::ui {

// The window's windowed controls (everything but pictures, labels and the progress images) in the
// order the window creates them: the pages in the order licence, features, welcome, environment
// check, progress, location, finish, and within a page in table order. Access keys are offered to
// the controls in this order and the first that accepts ends the search.
const std::vector<const ControlDescription*>& CreationOrder();

// Whether this control can take the focus now (it and its page visible and enabled).
using CanFocusFn = std::function<bool(const ControlDescription&)>;

// The first control in creation order whose caption (as `captionOf` gives it now) has the typed
// access key and that can take the focus; nullptr when none accepts it.
const ControlDescription* AccessKeyTarget(char typed, const std::function<const char*(const ControlDescription&)>& captionOf,
                                          const CanFocusFn& canFocus);

// The arrow keys: the next (forward) or previous control of the same page in tab order that can take
// the focus, tab stop or not, wrapping around at the ends. nullptr when no other control can.
const ControlDescription* ArrowTarget(const ControlDescription& from, bool forward, const CanFocusFn& canFocus);

// Tab and Shift+Tab: the next or previous tab stop of the whole window, pages in creation order and
// tab order within a page, wrapping around. `from` may be nullptr (the window itself holds the focus).
// `isStop` says whether a control is a tab stop that can take the focus now.
const ControlDescription* TabTarget(const ControlDescription* from, bool forward, const CanFocusFn& isStop);

}  // namespace velmora::ui
