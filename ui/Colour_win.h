// Control colours as GDI takes them.
#pragma once

#include <windows.h>

#include "ui/Colour.h"

namespace velmora::ui {

// A system colour is looked up now, so a change of the system's colours shows at the next paint.
inline COLORREF ToColorRef(TColor color) {
  return IsSystemColor(color) ? GetSysColor(SystemColorIndex(color)) : COLORREF(color);
}

}  // namespace velmora::ui
