// A plain model of the wizard window. OS-independent.
#include "app/WindowModel.h"

namespace velmora::app {

TWindowModel::TWindowModel() {
  for (const ui::ControlDescription& d : ui::Controls()) {
    TControlState& c = Control(d.id);
    c.description = &d;
    c.text = d.text != nullptr ? d.text : "";
    c.enabled = d.enabled;
    c.visible = d.visible;
    c.checked = d.checked;
    c.tag = d.tag;
    c.left = d.left;
    c.top = d.top;
    c.width = d.width;
    c.height = d.height;
  }
}

bool TWindowModel::Shown(ui::ControlId id) const {
  const TControlState& c = Control(id);
  auto page = pageVisible.find(c.description->pageTag);
  return page != pageVisible.end() && page->second && c.visible;
}

void TWindowModel::SetText(ui::ControlId id, const std::string& text) {
  TControlState& c = Control(id);
  const bool changed = c.text != text;
  c.text = text;
  if (changed && c.description->kind == ui::ControlKind::kFramedEdit && OnTextChange) OnTextChange(id);
}

}  // namespace velmora::app
