// The wizard window's fonts and how it lays out its labels: shared by the window, which paints the
// labels, and by the check program that proves every label's text fits its box under a given font.
#pragma once

#include <windows.h>

#include "ui/WindowDescription.h"

namespace velmora::ui {

// The window's font, "宋体" of 12 pixels in GB2312, or with `heading` its 14-pixel bold variant.
HFONT CreateWindowFont(bool heading);
// DrawText flags for a label of this kind: a wrapping label breaks its text into lines inside its
// box and draws every line (one that does not fit is clipped by the box, never dropped); a
// single-line label draws its one line from its place.
UINT LabelFormat(ControlKind kind);
// A label's box (LabelBox) as a rectangle of the window system.
RECT LabelRect(const ControlDescription& d);

}  // namespace velmora::ui
