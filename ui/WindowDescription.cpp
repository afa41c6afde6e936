// The wizard window's pages and controls as data, one row per control in the order the window
// creates them. Texts are the program's own captions; they are compiled to code page 936.
#include "ui/WindowDescription.h"

#include <cstring>

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

// Every close button carries the same tooltip text; only some of them show it.
constexpr const char* kCloseHint = "关闭";

ControlDescription Row(const char* name, ControlKind kind, int page, int left, int top, int width, int height,
                       unsigned flags, int tab, const char* handler, const char* text) {
  ControlDescription c{};
  c.name = name;
  c.kind = kind;
  c.pageTag = page;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.text = text;
  c.hint = kind == ControlKind::kCloseButton ? kCloseHint : nullptr;
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

Box LabelBox(const ControlDescription& d) {
  return Box{d.left, d.top, d.width > 0 ? d.left + d.width : kPageWidth,
             d.height > 0 ? d.top + d.height : d.top + (d.boldLarge ? 20 : 16)};
}

const std::vector<PageDescription>& Pages() {
  static const std::vector<PageDescription> pages = {
      {6, "pnl1", "img6"},  // welcome
      {0, "pl0", "img0"},   // environment check
      {1, "pl1", "img1"},   // features
      {2, "pl2", "img2"},   // licence agreement
      {3, "pl3", "img3"},   // install location
      {4, "pl4", "img4"},   // installation progress
      {5, "pl5", "img5"},   // finish
  };
  return pages;
}

const std::vector<ControlDescription>& Controls() {
  // Single-line labels have size 0 x 0 (sized to their text). The progress bar's width is set by
  // the install sequence, so it starts at 0. Texts that the program fills in at run time (the
  // licence, the free-space line, the two folders, the home-page box) are nullptr here.
  static const std::vector<ControlDescription> controls = {
      //  name               kind      pg left  top   w    h   flags    tab   handler                 text
      // Welcome.
      Row("img6",            kPicture,  6,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("lb18",            kLabel,    6, 194,  82,   0,   0, kBold,     -1, "FormMouseDown",
          "欢迎使用 Velmora 安装程序"),
      Row("lb19",            kWrapping, 6, 194, 109, 297,  28, kNone,     -1, "FormMouseDown",
          "强烈建议您在选择继续安装之前。退出所有windows程序。"),
      Row("lb20",            kWrapping, 6, 194, 141, 297,  28, kNone,     -1, "FormMouseDown",
          "如果您有任何其他程序正在运行，请单击“取消”，关闭程序，然后再次运行该安装程序。"),
      Row("lb21",            kWrapping, 6, 194, 173, 297,  28, kNone,     -1, "FormMouseDown",
          "否则，请单击“下一步”继续。"),
      Row("RzBmpButton23",   kClose,    6, 481,   4,  17,  17, kTipShown,  0, "RzBmpButton23Click",   nullptr),
      Row("RzBmpButton24",   kWide,     6, 207, 355,  89,  23, kDisabled,  1, nullptr,                "上一步(&P)"),
      Row("RzBmpButton25",   kWide,     6, 306, 355,  89,  23, kNone,      2, "RzBmpButton25Click",   "下一步(&N)"),
      Row("RzBmpButton26",   kCancel,   6, 406, 355,  88,  23, kNone,      3, "RzBmpButton26Click",   "取消(&C)"),
      // Environment check.
      Row("img0",            kPicture,  0,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("Label4",          kLabel,    0,  38,  43,   0,   0, kBold,     -1, "FormMouseDown",        "运行环境检测"),
      Row("Label5",          kLabel,    0,  38,  70,   0,   0, kNone,     -1, "FormMouseDown",
          "检测“Velmora”安装环境。"),
      Row("Label16",         kLabel,    0,  36, 161,   0,   0, kNone,     -1, "FormMouseDown",
          "正在检测安装环境，请稍后..."),
      Row("RzBmpButton15",   kClose,    0, 481,   4,  17,  17, kTipShown,  0, "RzBmpButton15Click",   nullptr),
      Row("RzBmpButton29",   kWide,     0, 214, 357,  89,  23, kDisabled,  1, "RzBmpButton29Click",   "上一步(&P)"),
      Row("RzBmpButton30",   kWide,     0, 310, 357,  89,  23, kDisabled,  2, "RzBmpButton30Click",   "下一步(&N)"),
      Row("RzBmpButton31",   kCancel,   0, 406, 357,  88,  23, kNone,      3, "btTurnBackSetupClick", "取消(&C)"),
      // Features: each bold heading is followed by its regular continuation, which wraps onto
      // the next line through a second label.
      Row("img1",            kPicture,  1,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("lbl3",            kLabel,    1,  26,  42,   0,   0, kBold,     -1, "FormMouseDown",        "软件功能介绍"),
      Row("lbl2",            kWrapping, 1,  25,  61, 353,  21, kNone,     -1, "FormMouseDown",
          "了解“Velmora”的强大功能。"),
      Row("lb5",             kLabel,    1,  26, 114,   0,   0, kBold,     -1, "FormMouseDown",
          "强大的金币库存管理功能"),
      Row("lb6",             kWrapping, 1, 192, 117, 353,  21, kNone,     -1, "FormMouseDown",
          "，支持金币的进销存管理，精确到单个账号单个角色。"),
      Row("lb7",             kLabel,    1,  26, 146,   0,   0, kBold,     -1, "FormMouseDown",
          "强大的销售管理模块"),
      Row("lb8",             kWrapping, 1, 162, 149, 319,  20, kNone,     -1, "FormMouseDown",
          "，支持5173，淘宝以及百川等B2B网站的自动列表，拥有强力"),
      Row("lb9",             kWrapping, 1,  26, 165, 291,  20, kNone,     -1, "FormMouseDown",
          "的快速出货能力。"),
      Row("lb10",            kLabel,    1,  26, 194,   0,   0, kBold,     -1, "FormMouseDown",
          "完善的交易管理模块"),
      Row("lb11",            kWrapping, 1, 162, 197, 319,  20, kNone,     -1, "FormMouseDown",
          "，内置30多个游戏的自动登录功能，支持绑定指定机器，能"),
      Row("lb12",            kWrapping, 1,  26, 213, 447,  20, kNone,     -1, "FormMouseDown",
          "够进行很好的管理和防盗，支持百人同时发货，有智能的并发交易的提示功能。"),
      Row("lb13",            kLabel,    1,  26, 242,   0,   0, kBold,     -1, "FormMouseDown",
          "完善的订单管理模块"),
      Row("lb14",            kWrapping, 1, 162, 245, 319,  20, kNone,     -1, "FormMouseDown",
          "，可以支持订单的5173，淘宝等平台的快捷智能录入，支持"),
      Row("lb15",            kWrapping, 1,  26, 261, 447,  20, kNone,     -1, "FormMouseDown",
          "订单的发货，投诉，退款，撤销等各种状态的处理。"),
      Row("lb16",            kLabel,    1,  26, 290,   0,   0, kBold,     -1, "FormMouseDown",
          "完善严谨的财务模块"),
      Row("lb17",            kWrapping, 1, 162, 293, 319,  20, kNone,     -1, "FormMouseDown",
          "，能够让您时刻都能了解到具体的经营情况。"),
      Row("RzBmpButton21",   kClose,    1, 481,   4,  17,  17, kNone,      1, "btTurnBackSetupClick", nullptr),
      Row("RzBmpButton16",   kWide,     1, 207, 355,  89,  23, kDisabled,  2, "RzBmpButton16Click",   "上一步(&P)"),
      Row("RzBmpButton1",    kWide,     1, 307, 355,  89,  23, kNone,      3, "RzBmpButton1Click",    "下一步(&N)"),
      Row("RzBmpButton12",   kCancel,   1, 406, 355,  88,  23, kNone,      4, "btTurnBackSetupClick", "取消(&C)"),
      // Licence agreement. The memo is read-only; its text is supplied with the build.
      Row("img2",            kPicture,  2,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("lbl1",            kWrapping, 2,  48,  66, 353,  21, kNone,     -1, "FormMouseDown",
          "在安装“Velmora”之前，请阅读授权协议。"),
      Row("lb2",             kWrapping, 2,  48,  98, 353,  21, kNone,     -1, "FormMouseDown",
          "按[PgDn]阅读“授权协议”的其余部分"),
      Row("lb3",             kLabel,    2,  48,  43,   0,   0, kBold,     -1, "FormMouseDown",        "软件安装协议"),
      Row("lb24",            kWrapping, 2,  47, 287, 431,  30, kNone,     -1, "FormMouseDown",
          "如果您接受协议中的条款，单击[下一步(N)]继续安装。"
          "如果您选定[取消(C)]，安装程序将会关闭。必须接受协议才能安装“Velmora”。"),
      Row("Memo1",           kMemo,     2,  48, 118, 393, 163, kNone,      2, "Memo1KeyDown",         nullptr),
      Row("chbAgree",        kCheckBox, 2,  49, 316, 353,  22, kNone,      3, "chbAgreeClick",
          "我已阅读并同意Velmora软件许可协议"),
      Row("RzBmpButton4",    kClose,    2, 482,   4,  17,  17, kNone,      1, "btTurnBackSetupClick", nullptr),
      Row("RzBmpButton22",   kWide,     2, 206, 355,  89,  23, kNone,      4, "RzBmpButton22Click",   "上一步(&P)"),
      Row("btNext2",         kWide,     2, 307, 355,  89,  23, kDisabled,  5, "btNext2Click",         "下一步(&N)"),
      Row("RzBmpButton2",    kCancel,   2, 406, 355,  88,  23, kNone,      6, "btTurnBackSetupClick", "取消(&C)"),
      // Install location. lbSize and the two folders are filled in before the page first shows;
      // edtSetupPath's handler runs on every change of its text.
      Row("img3",            kPicture,  3,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("lbSize",          kLabel,    3,  33, 175,   0,   0, kNone,     -1, "FormMouseDown",        nullptr),
      Row("RzBmpButton6",    kClose,    3, 482,   5,  17,  17, kNone,      1, "btTurnBackSetupClick", nullptr),
      Row("RzBmpButton10",   kWide,     3, 362, 122,  89,  23, kNone,      2, "RzBmpButton10Click",   "浏览(&B)"),
      Row("edtSetupPath",    kEdit,     3,  32, 123, 307,  20, kNone,      3, "edtSetupPathChange",   nullptr),
      Row("rb1",             kRadio,    3,  35, 235, 169,  18, kChecked,   4, "rb1Click",
          "保存到安装目录下"),
      Row("rb2",             kRadio,    3,  35, 262, 169,  18, kNone,      5, "rb1Click",             "自定义"),
      Row("RzBmpButton11",   kWide,     3, 362, 284,  89,  23, kHidden,    6, "RzBmpButton11Click",   "浏览(&B)"),
      Row("edtUserpath",     kEdit,     3,  35, 285, 307,  20, kDisabled,  7, nullptr,                nullptr),
      Row("RzBmpButton9",    kWide,     3, 207, 355,  89,  23, kNone,      8, "RzBmpButton9Click",    "上一步(&P)"),
      Row("RzBmpButton8",    kWide,     3, 306, 355,  89,  23, kNone,      9, "RzBmpButton8Click",    "安装(&I)"),
      Row("RzBmpButton7",    kCancel,   3, 405, 355,  88,  23, kNone,     10, "btTurnBackSetupClick", "取消(&C)"),
      // Installation progress. Label11 and lbInfo are rewritten while installing and rolling back.
      Row("img4",            kPicture,  4,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("Label11",         kLabel,    4,  31,  41,   0,   0, kBold,     -1, "FormMouseDown",        "程序正在安装"),
      Row("lbInfo",          kLabel,    4,  29, 128,   0,   0, kNone,     -1, "FormMouseDown",
          "正在复制文件..."),
      Row("Image1",          kTrack,    4,  28, 153, 466,  17, kNone,     -1, nullptr,                nullptr),
      Row("imgbar",          kBar,      4,  31, 155,   0,  13, kNone,     -1, nullptr,                nullptr),
      Row("lb1",             kLabel,    4,  32,  65,   0,   0, kNone,     -1, "FormMouseDown",
          "“Velmora”正在安装，请等候……"),
      Row("RzBmpButton13",   kClose,    4, 482,   5,  17,  17, kNone,      1, "btTurnBackSetupClick", nullptr),
      Row("RzBmpButton27",   kMixed,    4, 214, 357,  89,  23, kDisabled,  2, nullptr,                "上一步(&P)"),
      Row("RzBmpButton28",   kMixed,    4, 310, 357,  89,  23, kDisabled,  3, nullptr,                "下一步(&N)"),
      Row("btTurnBackSetup", kCancel,   4, 406, 357,  88,  23, kNone,      4, "btTurnBackSetupClick", "取消(&C)"),
      // Finish. ch2's caption names the maker's home-page host and is built at run time.
      Row("img5",            kPicture,  5,   0,   0, 507, 394, kNone,     -1, "FormMouseDown",        nullptr),
      Row("RzBmpButton18",   kClose,    5, 481,   5,  17,  17, kNone,      1, "btTurnBackSetupClick", nullptr),
      Row("ch1",             kCheckBox, 5, 193, 167, 247,  15, kChecked,   2, nullptr,
          "运行 OrmundVelmora 软件"),
      Row("ch2",             kCheckBox, 5, 193, 194, 249,  17, kChecked,   3, nullptr,                nullptr),
      Row("ch3",             kCheckBox, 5, 193, 221, 249,  17, kChecked,   4, nullptr,
          "创建桌面快捷方式"),
      Row("ch4",             kCheckBox, 5, 193, 248, 249,  17, kChecked,   5, nullptr,
          "在快速启动栏创建快捷方式"),
      Row("RzBmpButton33",   kWide,     5, 211, 353,  89,  23, kDisabled,  6, nullptr,                "上一步(&P)"),
      Row("RzBmpButton20",   kWide,     5, 308, 353,  89,  23, kNone,      7, "RzBmpButton20Click",   "完成(&F)"),
      Row("RzBmpButton32",   kCancel,   5, 405, 353,  88,  23, kNone,      8, "btTurnBackSetupClick", "取消(&C)"),
  };
  return controls;
}

const ControlDescription* FindControl(const char* name) {
  if (name == nullptr) return nullptr;
  for (const ControlDescription& c : Controls()) {
    if (std::strcmp(c.name, name) == 0) return &c;
  }
  return nullptr;
}

}  // namespace velmora::ui
