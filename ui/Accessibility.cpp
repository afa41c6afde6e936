// What a screen reader is told about the wizard window. OS-independent.
#include "ui/Accessibility.h"

#include <algorithm>

#include "ui/AccessKey.h"

namespace velmora::ui {
namespace {

// The texts a screen reader says for a control's default action.
constexpr const char* kActionPress = "按下";
constexpr const char* kActionCheck = "选中";
constexpr const char* kActionUncheck = "取消选中";

// Controls without a caption of their own are named by what describes them on the page: the
// licence text by its page heading, the two folder edits by the titles of the group frames the
// page picture draws around them.
struct Describer {
  ControlId control;
  const char* text;                // the words the picture shows, or nullptr
  ControlId label = ControlId{};  // else the label of the page whose text names the control
};
constexpr Describer kDescribers[] = {
    {ControlId::Memo1, nullptr, ControlId::lb3},
    {ControlId::edtSetupPath, "安装目录"},
    {ControlId::edtUserpath, "个人文件夹"},
};

bool IsButton(ControlKind kind) {
  return kind == ControlKind::kCloseButton || kind == ControlKind::kWideButton || kind == ControlKind::kCancelButton ||
         kind == ControlKind::kMixedButton;
}

AccRole RoleOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPicture:
      return AccRole::kGraphic;
    case ControlKind::kLabel:
    case ControlKind::kWrappingLabel:
      return AccRole::kStaticText;
    case ControlKind::kCheckBox:
      return AccRole::kCheckButton;
    case ControlKind::kRadioButton:
      return AccRole::kRadioButton;
    case ControlKind::kFramedEdit:
    case ControlKind::kMemo:
      return AccRole::kText;
    case ControlKind::kProgressTrack:
    case ControlKind::kProgressBar:
      return AccRole::kProgressBar;
    default:
      return AccRole::kPushButton;
  }
}

std::string DescribedName(const ControlDescription& d) {
  for (const Describer& describer : kDescribers) {
    if (describer.control != d.id) continue;
    if (describer.text != nullptr) return describer.text;
    const ControlDescription& label = Describe(describer.label);
    return label.text != nullptr ? label.text : "";
  }
  return "";
}

}  // namespace

std::string SpokenCaption(const std::string& caption) {
  std::string spoken;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // the mark, or the first of "&&"
    spoken += caption[i];
  }
  return spoken;
}

std::string ProgressValue(int width, int fullWidth) {
  if (fullWidth <= 0) return "0%";
  // The bar is Trunc(percent / 100 * full) wide, so rounding gives the percentage back.
  const int percent = std::clamp((width * 200 + fullWidth) / (2 * fullWidth), 0, 100);
  return std::to_string(percent) + "%";
}

AccessibleObject DescribeControl(const AccControlState& c) {
  const ControlDescription& d = *c.control;
  AccessibleObject o;
  o.role = RoleOf(d.kind);
  o.left = c.left;
  o.top = c.top;
  o.width = c.width;
  o.height = c.height;
  if (!c.shown) o.state |= accstate::kInvisible;
  const bool takesFocus = IsWindowed(d.kind);
  if (takesFocus && !c.enabled) o.state |= accstate::kUnavailable;
  if (takesFocus && c.shown && c.enabled) o.state |= accstate::kFocusable;
  if (c.focused) o.state |= accstate::kFocused;

  if (IsLabel(d.kind)) {
    o.name = c.text;
  } else if (IsButton(d.kind) || d.kind == ControlKind::kCheckBox || d.kind == ControlKind::kRadioButton) {
    // A close button has no caption; its tooltip text says what it does.
    o.name = !c.text.empty() ? SpokenCaption(c.text) : d.hint != nullptr ? d.hint : "";
    if (const char key = AccessKeyOf(c.text)) o.shortcut = std::string("Alt+") + key;
    if (c.pressed) o.state |= accstate::kPressed;
    if (c.checked) o.state |= accstate::kChecked;
    if (c.grayed) o.state |= accstate::kMixed;
    if (c.shown && c.enabled) {
      o.defaultAction = d.kind == ControlKind::kCheckBox ? (c.checked ? kActionUncheck : kActionCheck)
                        : d.kind == ControlKind::kRadioButton ? kActionCheck
                                                              : kActionPress;
    }
  } else if (d.kind == ControlKind::kFramedEdit || d.kind == ControlKind::kMemo) {
    o.name = DescribedName(d);
    o.value = c.text;  // the licence is read through its value, as an edit's text is
    if (d.kind == ControlKind::kMemo) o.state |= accstate::kReadOnly;
  } else if (d.kind == ControlKind::kProgressBar) {
    o.value = ProgressValue(c.width, c.fullWidth);
    // The bar grows inside its track; the object covers the whole track.
    const ControlDescription& track = Describe(ControlId::Image1);
    o.left = track.left;
    o.top = track.top;
    o.width = track.width;
    o.height = track.height;
  }
  return o;
}

std::vector<const ControlDescription*> ClientChildren(int tag) {
  std::vector<const ControlDescription*> labels, windowed;
  const ControlDescription *picture = nullptr, *bar = nullptr;
  for (const ControlDescription& d : Controls()) {
    if (d.pageTag != tag) continue;
    if (IsLabel(d.kind)) {
      labels.push_back(&d);
    } else if (d.kind == ControlKind::kPicture) {
      picture = &d;
    } else if (d.kind == ControlKind::kProgressBar) {
      bar = &d;
    } else if (IsWindowed(d.kind)) {
      windowed.push_back(&d);
    }
  }
  std::stable_sort(labels.begin(), labels.end(), [](const ControlDescription* a, const ControlDescription* b) {
    return a->top != b->top ? a->top < b->top : a->left < b->left;
  });
  std::stable_sort(windowed.begin(), windowed.end(),
                   [](const ControlDescription* a, const ControlDescription* b) { return a->tabOrder < b->tabOrder; });
  std::vector<const ControlDescription*> children = labels;
  if (picture != nullptr) children.push_back(picture);
  children.insert(children.end(), windowed.begin(), windowed.end());
  if (bar != nullptr) children.push_back(bar);
  return children;
}

AccessibleObject DescribePage(const PageDescription& page, const std::string& headingLabelText, bool shown,
                              bool focused) {
  AccessibleObject o;
  o.role = AccRole::kDialog;
  // A heading label is what the page shows as its heading; the picture's own is the name only where
  // the page has none (the welcome picture's "安装向导" stands above the welcome label).
  const char* pictureHeading = PictureTextOf(page, PictureText::kHeading);
  o.name = !headingLabelText.empty() || pictureHeading == nullptr ? headingLabelText : pictureHeading;
  if (const char* instruction = PictureTextOf(page, PictureText::kInstruction)) o.description = instruction;
  o.width = kPageWidth;
  o.height = kPageHeight;
  o.state = shown ? accstate::kFocusable : accstate::kInvisible;
  if (focused) o.state |= accstate::kFocused;
  return o;
}

}  // namespace velmora::ui
