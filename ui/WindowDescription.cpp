// The wizard window's pages and controls as data, one row per control in the order the window
// creates them. Texts are the program's own captions; they are compiled to code page 936.
#include "ui/WindowDescription.h"

#include "resources/ResourceIds.h"

namespace velmora::ui {
namespace {

constexpr ControlKind kPicture = ControlKind::kPicture;
constexpr ControlKind kLabel = ControlKind::kLabel;
constexpr ControlKind kWrapping = ControlKind::kWrappingLabel;
constexpr ControlKind kClose = ControlKind::kCloseButton;
constexpr ControlKind kWide = ControlKind::kWideButton;
constexpr ControlKind kCancel = ControlKind::kCancelButton;
constexpr ControlKind kMixed = ControlKind::kMixedButton;
constexpr ControlKind kCheckBox = ControlKind::kCheckBox;
constexpr ControlKind kRadio = ControlKind::kRadioButton;
constexpr ControlKind kEdit = ControlKind::kFramedEdit;
constexpr ControlKind kMemo = ControlKind::kMemo;
constexpr ControlKind kTrack = ControlKind::kProgressTrack;
constexpr ControlKind kBar = ControlKind::kProgressBar;

// Font and starting state of a row, combined with |. A row without flags has the window's
// regular font and starts enabled, visible and unchecked.
constexpr unsigned kNone = 0;
constexpr unsigned kBold = 1u << 0;      // the 14-pixel bold heading font
constexpr unsigned kDisabled = 1u << 1;  // starts disabled
constexpr unsigned kHidden = 1u << 2;    // starts hidden
constexpr unsigned kChecked = 1u << 3;   // starts checked
constexpr unsigned kTipShown = 1u << 4;  // the tooltip shows

// The glyph controls carry the skin's exclusion mark as their Tag; the progress bar carries the
// width of a full bar.
constexpr int kSkinExcludedTag = 99;
constexpr int kFullBarWidth = 466;

// Every close button carries the same tooltip text; only some of them show it.
constexpr const char* kCloseHint = "关闭";

ControlDescription Row(ControlId id, const char* name, ControlKind kind, int page, int left, int top, int width, int height,
                       unsigned flags, int tab, const char* handler, const char* text) {
  ControlDescription c{};
  c.id = id;
  c.name = name;
  c.kind = kind;
  c.pageTag = page;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.text = text;
  c.hint = kind == ControlKind::kCloseButton ? kCloseHint : nullptr;
  c.tag = kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton ? kSkinExcludedTag
          : kind == ControlKind::kProgressBar                                  ? kFullBarWidth
                                                                               : 0;
  c.showHint = (flags & kTipShown) != 0;
  c.boldLarge = (flags & kBold) != 0;
  c.enabled = (flags & kDisabled) == 0;
  c.visible = (flags & kHidden) == 0;
  c.checked = (flags & kChecked) != 0;
  c.tabOrder = tab;
  c.handler = handler;
  return c;
}

}  // namespace

bool IsWindowed(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPicture:
    case ControlKind::kLabel:
    case ControlKind::kWrappingLabel:
    case ControlKind::kProgressTrack:
    case ControlKind::kProgressBar:
      return false;
    default:
      return true;
  }
}

bool IsLabel(ControlKind kind) { return kind == ControlKind::kLabel || kind == ControlKind::kWrappingLabel; }

bool IsClickable(ControlKind kind) {
  return IsWindowed(kind) && kind != ControlKind::kFramedEdit && kind != ControlKind::kMemo;
}

Box LabelBox(const ControlDescription& d) {
  return Box{d.left, d.top, d.width > 0 ? d.left + d.width : kPageWidth,
             d.height > 0 ? d.top + d.height : d.top + (d.boldLarge ? 20 : 16)};
}

const std::vector<PageDescription>& Pages() {
  constexpr PictureText::Kind kHeading = PictureText::kHeading;
  // The window creates the pages in the order licence, features, welcome, environment check,
  // progress, location, finish.
  static const std::vector<PageDescription> pages = {
      {6, "pnl1", "img6", IDR_PAGE_WELCOME, 2, {{kHeading, "安装向导", 194, 44}}},  // welcome
      {0, "pl0", "img0", IDR_PAGE_A, 3, {}},                                     // environment check
      {1, "pl1", "img1", IDR_PAGE_A, 1, {}},                                     // features
      {2, "pl2", "img2", IDR_PAGE_A, 0, {}},                                     // licence agreement
      {3, "pl3", "img3", IDR_PAGE_LOCATION, 5,                                   // install location
       {{kHeading, "选择安装位置", 30, 36},
        {PictureText::kInstruction, "请选择 Velmora 的安装目录和个人文件夹。", 30, 63},
        {PictureText::kFrameTitle, "安装目录", 34, 94},
        {PictureText::kFrameTitle, "个人文件夹", 34, 204}}},
      {4, "pl4", "img4", IDR_PAGE_A, 4, {}},                                     // installation progress
      {5, "pl5", "img5", IDR_PAGE_FINISH, 6, {{kHeading, "Velmora 安装成功", 194, 44}}},  // finish
  };
  return pages;
}

const PageDescription* PageOf(int tag) {
  for (const PageDescription& page : Pages()) {
    if (page.tag == tag) return &page;
  }
  return nullptr;
}

const ControlDescription* HeadingLabel(const PageDescription& page) {
  for (const ControlDescription& d : Controls()) {
    if (d.pageTag == page.tag && IsLabel(d.kind) && d.boldLarge) return &d;
  }
  return nullptr;
}

const char* PictureTextOf(const PageDescription& page, PictureText::Kind kind) {
  for (const PictureText& t : page.pictureTexts) {
    if (t.kind == kind) return t.text;
  }
  return nullptr;
}

const std::vector<ControlDescription>& Controls() {
  static const std::vector<ControlDescription> controls = {
#define WIZARD_CONTROL(id, kind, page, left, top, width, height, flags, tab, handler, text) \
  Row(ControlId::id, #id, kind, page, left, top, width, height, flags, tab, handler, text),
#include "ui/WizardControls.def"
#undef WIZARD_CONTROL
  };
  return controls;
}

const ControlDescription& Describe(ControlId id) { return Controls()[size_t(id)]; }

}  // namespace velmora::ui
