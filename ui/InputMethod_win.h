// Switches the keyboard to a named input method while an edit holds the focus.
#pragma once

#include <windows.h>

namespace velmora::ui {

// While `edit` has the focus on a CJK system, the input method called `name` is active when
// installed (the default layout otherwise); the default layout returns when the focus leaves.
void AttachInputMethod(HWND edit, const char* name);

}  // namespace velmora::ui
