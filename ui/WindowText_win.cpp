// The wizard window's fonts and label layout.
#include "ui/WindowText_win.h"

namespace velmora::ui {

HFONT CreateWindowFont(bool heading) {
  return CreateFontA(heading ? -14 : -12, 0, 0, 0, heading ? FW_BOLD : FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0,
                     "宋体");
}

UINT LabelFormat(ControlKind kind) {
  return kind == ControlKind::kWrappingLabel ? DT_WORDBREAK | DT_NOPREFIX : DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
}

RECT LabelRect(const ControlDescription& d) {
  const Box box = LabelBox(d);
  return RECT{box.left, box.top, box.right, box.bottom};
}

}  // namespace velmora::ui
