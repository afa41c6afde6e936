// Flat frames drawn in an edit control's outermost pixels, with an optional hot colour while the
// pointer is over the edit or it holds the focus.
#pragma once

#include <windows.h>

namespace velmora::ui {

struct EditFrameStyle {
  int width = 2;            // 2: a line in the frame colour, then one in the edit's background colour
  COLORREF colour = 0;      // the frame's line
  bool hotTrack = false;    // swap in `hotColour` while hot
  COLORREF hotColour = 0;
};

// Subclasses the edit to draw the frame in pixels it adds around the edit's client area (the edit
// has no border of its own); the edit keeps every other behaviour. The style is copied.
void AttachEditFrame(HWND edit, const EditFrameStyle& style);

}  // namespace velmora::ui
