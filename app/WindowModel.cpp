// A plain model of the wizard window. OS-independent.
#include "app/WindowModel.h"

namespace velmora::app {

TWindowModel::TWindowModel() {
  for (const ui::ControlDescription& d : ui::Controls()) {
    TControlState& c = controls_[d.name];
    c.description = &d;
    c.text = d.text != nullptr ? d.text : "";
    c.enabled = d.enabled;
    c.visible = d.visible;
    c.checked = d.checked;
    c.left = d.left;
    c.top = d.top;
    c.width = d.width;
    c.height = d.height;
  }
}

TControlState& TWindowModel::Control(const std::string& name) { return controls_.at(name); }

const TControlState& TWindowModel::Control(const std::string& name) const { return controls_.at(name); }

void TWindowModel::SetText(const std::string& name, const std::string& text) {
  TControlState& c = Control(name);
  const bool changed = c.text != text;
  c.text = text;
  if (changed && c.description->kind == ui::ControlKind::kFramedEdit && OnTextChange) OnTextChange(name);
}

}  // namespace velmora::app
