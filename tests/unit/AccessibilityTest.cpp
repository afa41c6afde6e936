// What a screen reader is told about the wizard's controls, and in which order the window lists a
// page.
#include "ui/Accessibility.h"

#include <gtest/gtest.h>

namespace velmora::ui {
namespace {

using namespace accstate;

AccControlState StateOf(ControlId id, bool shown = true, bool enabled = true) {
  const ControlDescription* d = &Describe(id);
  AccControlState c;
  c.control = d;
  c.text = d->text != nullptr ? d->text : "";
  c.shown = shown;
  c.enabled = enabled;
  c.left = d->left;
  c.top = d->top;
  c.width = d->width;
  c.height = d->height;
  return c;
}

TEST(Accessibility, ControlsAsAScreenReaderSeesThem) {
  struct Case {
    const char* what;
    AccControlState state;
    AccRole role;
    const char* name;
    const char* shortcut;
    uint32_t states;
    const char* action;
  };
  AccControlState pressed = StateOf(ControlId::RzBmpButton25);
  pressed.pressed = true;
  pressed.focused = true;
  AccControlState agreed = StateOf(ControlId::chbAgree);
  agreed.checked = true;
  AccControlState grayed = StateOf(ControlId::ch1);
  grayed.grayed = true;
  AccControlState chosen = StateOf(ControlId::rb2);
  chosen.checked = true;
  const Case cases[] = {
      {"Next on the welcome page", StateOf(ControlId::RzBmpButton25), AccRole::kPushButton, "下一步(N)", "Alt+N", kFocusable,
       "按下"},
      {"held down with the focus", pressed, AccRole::kPushButton, "下一步(N)", "Alt+N", kFocusable | kFocused | kPressed,
       "按下"},
      {"disabled Back", StateOf(ControlId::RzBmpButton24, true, false), AccRole::kPushButton, "上一步(P)", "Alt+P", kUnavailable,
       ""},
      {"hidden browse button", StateOf(ControlId::RzBmpButton11, false), AccRole::kPushButton, "浏览(B)", "Alt+B", kInvisible, ""},
      {"close button, named by its tooltip", StateOf(ControlId::RzBmpButton23), AccRole::kPushButton, "关闭", "", kFocusable,
       "按下"},
      {"unticked agreement", StateOf(ControlId::chbAgree), AccRole::kCheckButton, "我已阅读并同意Velmora软件许可协议", "",
       kFocusable, "选中"},
      {"ticked agreement", agreed, AccRole::kCheckButton, "我已阅读并同意Velmora软件许可协议", "",
       kFocusable | kChecked, "取消选中"},
      {"check box in its third state", grayed, AccRole::kCheckButton, "运行 OrmundVelmora 软件", "",
       kFocusable | kMixed, "选中"},
      {"chosen radio button", chosen, AccRole::kRadioButton, "自定义", "", kFocusable | kChecked, "选中"},
      {"heading", StateOf(ControlId::lb5), AccRole::kStaticText, "强大的金币库存管理功能", "", 0, ""},
      {"label of a hidden page", StateOf(ControlId::lb18, false), AccRole::kStaticText, "欢迎使用 Velmora 安装程序", "",
       kInvisible, ""},
      {"page picture", StateOf(ControlId::img1), AccRole::kGraphic, "", "", 0, ""},
      {"installation folder edit", StateOf(ControlId::edtSetupPath), AccRole::kText, "安装目录", "", kFocusable, ""},
      {"disabled data folder edit", StateOf(ControlId::edtUserpath, true, false), AccRole::kText, "个人文件夹", "", kUnavailable,
       ""},
      {"licence text", StateOf(ControlId::Memo1), AccRole::kText, "软件安装协议", "", kFocusable | kReadOnly, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const AccessibleObject o = DescribeControl(c.state);
    EXPECT_EQ(o.role, c.role);
    EXPECT_EQ(o.name, c.name);
    EXPECT_EQ(o.shortcut, c.shortcut);
    EXPECT_EQ(o.state, c.states);
    EXPECT_EQ(o.defaultAction, c.action);
    EXPECT_EQ(o.left, c.state.left);
    EXPECT_EQ(o.width, c.state.width);
  }
}

TEST(Accessibility, EditsReadTheirTextAndCaptionsLoseOnlyTheirMarks) {
  AccControlState edit = StateOf(ControlId::edtSetupPath);
  edit.text = "D:\\Apps & Tools\\Velmora\\";
  EXPECT_EQ(DescribeControl(edit).value, "D:\\Apps & Tools\\Velmora\\");

  AccControlState button = StateOf(ControlId::RzBmpButton25);
  button.text = "R&&D &Go";  // "&&" is one "&", the mark before G makes Alt+G
  const AccessibleObject o = DescribeControl(button);
  EXPECT_EQ(o.name, "R&D Go");
  EXPECT_EQ(o.shortcut, "Alt+G");
  EXPECT_EQ(SpokenCaption("trailing&"), "trailing&");
}

TEST(Accessibility, ProgressBarReadsItsPercentageOverTheWholeTrack) {
  // The install sequence makes the bar Trunc(percent / 100 * 466) wide.
  const std::pair<int, const char*> widths[] = {{0, "0%"}, {4, "1%"}, {153, "33%"}, {233, "50%"}, {461, "99%"},
                                                {466, "100%"}};
  for (const auto& [width, value] : widths) {
    AccControlState bar = StateOf(ControlId::imgbar);
    bar.width = width;
    bar.fullWidth = 466;
    const AccessibleObject o = DescribeControl(bar);
    EXPECT_EQ(o.role, AccRole::kProgressBar);
    EXPECT_EQ(o.value, value) << width;
    EXPECT_EQ(o.left, 28);
    EXPECT_EQ(o.width, 466);
  }
}

std::vector<std::string> Names(const std::vector<const ControlDescription*>& controls) {
  std::vector<std::string> names;
  for (const ControlDescription* c : controls) names.push_back(c->name);
  return names;
}

TEST(Accessibility, ClientListsTextsInReadingOrderThenPictureControlsAndBar) {
  // Features: each heading comes before the text that continues it on the same line.
  EXPECT_EQ(Names(ClientChildren(1)),
            (std::vector<std::string>{"lbl3", "lbl2", "lb5", "lb6", "lb7", "lb8", "lb9", "lb10", "lb11", "lb12",
                                      "lb13", "lb14", "lb15", "lb16", "lb17", "img1", "RzBmpButton21",
                                      "RzBmpButton16", "RzBmpButton1", "RzBmpButton12"}));
  // Progress: the status line with the other texts, the bar last and the track not at all.
  EXPECT_EQ(Names(ClientChildren(4)),
            (std::vector<std::string>{"Label11", "lb1", "lbInfo", "img4", "RzBmpButton13", "RzBmpButton27",
                                      "RzBmpButton28", "btTurnBackSetup", "imgbar"}));
  // Licence: the memo and the agreement between the close button and the buttons, by tab order.
  EXPECT_EQ(Names(ClientChildren(2)),
            (std::vector<std::string>{"lb3", "lbl1", "lb2", "lb24", "img2", "RzBmpButton4", "Memo1", "chbAgree",
                                      "RzBmpButton22", "btNext2", "RzBmpButton2"}));
}

// Every page is a dialog named by the heading a sighted user reads first: its heading label as it
// reads now (the progress page's changes during a rollback), or the picture's own where the page has
// no heading label; the location picture's instruction is the page's description.
TEST(Accessibility, PagesAreDialogsNamedByTheirHeadings) {
  struct Case {
    int tag;
    const char* labelText;  // what the page's heading label shows now, "" without one
    const char* name;
    const char* description;
  };
  const Case cases[] = {
      {6, "欢迎使用 Velmora 安装程序", "欢迎使用 Velmora 安装程序", ""},
      {0, "运行环境检测", "运行环境检测", ""},
      {4, "正在回滚安装", "正在回滚安装", ""},
      {3, "", "选择安装位置", "请选择 Velmora 的安装目录和个人文件夹。"},
      {5, "", "Velmora 安装成功", ""},
  };
  for (const Case& c : cases) {
    const PageDescription* page = PageOf(c.tag);
    ASSERT_NE(page, nullptr);
    const ControlDescription* label = HeadingLabel(*page);
    EXPECT_EQ(label != nullptr, *c.labelText != '\0') << c.tag;
    const AccessibleObject o = DescribePage(*page, c.labelText, true, c.tag == 5);
    EXPECT_EQ(o.role, AccRole::kDialog) << c.tag;
    EXPECT_EQ(o.name, c.name) << c.tag;
    EXPECT_EQ(o.description, c.description) << c.tag;
    EXPECT_EQ(o.state, c.tag == 5 ? (kFocusable | kFocused) : kFocusable) << c.tag;
  }
  EXPECT_EQ(DescribePage(*PageOf(1), "软件功能介绍", false, false).state, kInvisible);
}

}  // namespace
}  // namespace velmora::ui
