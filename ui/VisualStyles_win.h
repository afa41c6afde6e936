// The platform's visual styles, reached through the theme library of the system folder, which is
// loaded at run time. Everything answers "no styles" when the library is missing.
#pragma once

#include <windows.h>

namespace velmora::ui {

// Whether the program's windows are drawn with visual styles now.
bool VisualStylesActive();

// Draws the themed check-box (BP_CHECKBOX = 3) or radio-button (BP_RADIOBUTTON = 2) image of the
// given theme state into `box` of `dc`; false when no theme could draw it.
bool DrawThemedButtonPart(HWND window, HDC dc, int part, int state, const RECT& box);

}  // namespace velmora::ui
