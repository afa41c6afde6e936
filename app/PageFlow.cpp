// The wizard's page flow: showing pages, the window's size, shape and place, the buttons of every
// page, the environment timer, the uninstaller's message, the paging keys and the free-space label.
// OS-independent.
#include <cmath>
#include <cstdio>

#include "app/ProductContract.h"
#include "app/SetupWizard.h"

namespace velmora::app {

using namespace velmora::platform;

namespace {

constexpr int kRegionCorner = 6;
constexpr const char* kAgreementReminder = "请阅读并同意软件许可协议和青少年上网安全指引，并勾选上方选择框。";
constexpr const char* kSetupFolderTitle = "请选择程序安装目录:";
constexpr const char* kUserFolderTitle = "请个人文件夹目录:";
constexpr const char* kRequiredSpace = "所需空间：50MB  可用空间：";

// Every page is the same size; the window is one pixel larger each way.
int PageHeight(int /*tag*/) { return ui::kPageHeight; }

int RoundHalfEven(double value) { return int(std::nearbyint(value)); }

constexpr int kFullBarWidth = 466;
constexpr int kSkinExcluded = 99;

// The host part of the maker's web address.
std::string MakerHost() {
  std::string url = kMakerUrl;
  const size_t scheme = url.find("://");
  if (scheme != std::string::npos) url.erase(0, scheme + 3);
  return url.substr(0, url.find('/'));
}

}  // namespace

TSetupWizard::TSetupWizard(IPlatform& platform, IWizardHost& host) : platform_(platform), host_(host) {
  // Tags the window carries: the bar's full width, and the skin's exclusion mark on the glyph controls.
  window_.Control("imgbar").tag = kFullBarWidth;
  for (const char* glyph : {"chbAgree", "ch1", "ch2", "ch3", "ch4", "rb1", "rb2"}) window_.Control(glyph).tag = kSkinExcluded;
  window_.Control("ch2").text = std::string("设置 ") + MakerHost() + " 为首页";
  window_.OnTextChange = [this](const std::string& name) {
    if (name == "edtSetupPath") edtSetupPathChange();
  };
  auto close = [this] { Close(); };
  auto radio = [this] {
    const bool custom = window_.Control("rb2").checked;
    window_.Control("edtUserpath").enabled = custom;
    window_.Control("RzBmpButton11").visible = custom;
  };
  clicks_ = {
      // welcome
      {"RzBmpButton25",
       [this] {
         ShowPage(0);
         platform_.SetTopmost(host_.WizardWindow(), true);
         platform_.SetTopmost(host_.WizardWindow(), false);
         if (window_.tmshow.tag == 1) {
           window_.tmshow.running = true;
           window_.Control("RzBmpButton30").enabled = false;
           window_.Control("RzBmpButton29").enabled = false;
         }
       }},
      {"RzBmpButton26", close},
      {"RzBmpButton23", close},
      // environment check
      {"RzBmpButton30",
       [this] {
         if (CheckEnvironment() && window_.Control("RzBmpButton30").tag == 0) ShowPage(1);
       }},
      {"RzBmpButton29",
       [this] {
         window_.tmshow.tag = 1;
         ShowPage(6);
       }},
      {"RzBmpButton31", close},
      {"RzBmpButton15", close},
      // features
      {"RzBmpButton1",
       [this] {
         ShowPage(2);
         MoveWindowVertically(1, 2, -1);
       }},
      {"RzBmpButton12", close},
      {"RzBmpButton21", close},
      // licence
      {"chbAgree", [this] { window_.Control("btNext2").enabled = window_.Control("chbAgree").checked; }},
      {"btNext2",
       [this] {
         if (window_.Control("chbAgree").checked) {
           edtSetupPathChange();
           ShowPage(3);
         } else {
           platform_.ShowMessageBox(kAgreementReminder, *SetupMessageFlags(0), false);
           window_.focused = "chbAgree";
         }
       }},
      {"RzBmpButton22",
       [this] {
         ShowPage(1);
         MoveWindowVertically(1, 2, +1);
       }},
      {"RzBmpButton2", close},
      {"RzBmpButton4", close},
      // location
      {"RzBmpButton10",
       [this] {
         std::string folder;
         if (!host_.PickFolder(window_.Control("edtSetupPath").text, kSetupFolderTitle, folder)) return;
         window_.SetText("edtSetupPath", folder);
         edtSetupPathChange();
       }},
      {"rb1", radio},
      {"rb2", radio},
      {"RzBmpButton11",
       [this] {
         std::string folder;
         if (!host_.PickFolder(window_.Control("edtUserpath").text, kUserFolderTitle, folder)) return;
         window_.SetText("edtUserpath", folder);
         // Checking rb2 from here runs its click handler, as the user's click would.
         if (!window_.Control("rb2").checked) {
           window_.Control("rb2").checked = true;
           window_.Control("rb1").checked = false;
           Clicked("rb2");
         }
       }},
      {"RzBmpButton9", [this] { ShowPage(2); }},
      {"RzBmpButton8", [this] { RzBmpButton8Click(); }},
      {"RzBmpButton7", close},
      {"RzBmpButton6", close},
      // progress
      {"btTurnBackSetup", close},
      {"RzBmpButton13", close},
      // finish
      {"RzBmpButton20", [this] { RzBmpButton20Click(); }},
      {"RzBmpButton32", close},
      {"RzBmpButton18", close},
  };
}

void TSetupWizard::ShowPage(int tag) {
  if (tag == window_.currentPage) return;
  // Every panel, the licence panel standing in for an unknown Tag, is a page's size at (0, 0).
  window_.width = ui::kPageWidth + 1;
  window_.height = ui::kPageHeight + 1;
  ApplyWindowRegion();
  for (const ui::PageDescription& page : ui::Pages()) window_.pageVisible[page.tag] = page.tag == tag;
  window_.currentPage = tag;
}

void TSetupWizard::ApplyWindowRegion() {
  platform_.SetRoundRegion(host_.WizardWindow(), window_.width, window_.height, kRegionCorner, kRegionCorner);
}

void TSetupWizard::MoveWindowVertically(int pageFrom, int pageTo, int sign) {
  window_.top += sign * RoundHalfEven((PageHeight(pageTo) - PageHeight(pageFrom)) / 2.0);
}

std::string TSetupWizard::GetFreeSpaceMB(const std::string& path) {
  uint64_t bytes = 0;
  if (path.empty() || !platform_.FreeSpace(path.substr(0, 1) + ":\\", bytes)) return "0";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", double(bytes) / 1024.0 / 1024.0);
  return text;
}

void TSetupWizard::edtSetupPathChange() {
  const std::string free = GetFreeSpaceMB(window_.Control("edtSetupPath").text);
  window_.SetText("lbSize", kRequiredSpace + free + "MB");
  if (window_.Control("rb1").checked) window_.SetText("edtUserpath", window_.Control("edtSetupPath").text);
}

void TSetupWizard::Click(const std::string& control) {
  // Check boxes toggle and radio buttons check themselves before their handler runs.
  TControlState& c = window_.Control(control);
  if (!c.enabled || !c.visible) return;
  if (c.description->kind == ui::ControlKind::kCheckBox) c.checked = !c.checked;
  if (c.description->kind == ui::ControlKind::kRadioButton) {
    for (const char* radio : {"rb1", "rb2"}) window_.Control(radio).checked = control == radio;
  }
  Clicked(control);
}

void TSetupWizard::Clicked(const std::string& control) {
  auto handler = clicks_.find(control);
  if (handler != clicks_.end()) handler->second();
}

void TSetupWizard::tmshowTimer() {
  window_.tmshow.running = false;
  window_.tmshow.tag = 0;
  if (!CheckEnvironment()) Close();
  if (window_.tmReCheck.tag != 1) ShowPage(1);
  MoveWindowVertically(0, 1, -1);
}

void TSetupWizard::HandleMessage(uint32_t message, uintptr_t wParam) {
  if (message == kUninstallerDoneMessage && wParam == kUninstallerDoneParam) window_.tmshow.running = true;
}

void TSetupWizard::KeyDown(const std::string& control, uint32_t key) {
  if (!control.empty() && control != "Memo1") return;
  if (key == kVkNumpad3) platform_.SendKeyDown(host_.ControlWindow("Memo1"), kVkNext);
  if (key == kVkNumpad9) platform_.SendKeyDown(host_.ControlWindow("Memo1"), kVkPrior);
}

void TSetupWizard::FormMouseDown(int x, int y) {
  // The painted controls of the shown page, topmost first: the one under the point decides.
  const std::vector<ui::ControlDescription>& controls = ui::Controls();
  for (auto d = controls.rbegin(); d != controls.rend(); ++d) {
    if (ui::IsWindowed(d->kind) || d->pageTag != window_.currentPage || !window_.pageVisible[d->pageTag]) continue;
    const TControlState& c = window_.Control(d->name);
    if (!c.visible || x < c.left || y < c.top || x >= c.left + c.width || y >= c.top + c.height) continue;
    if (d->handler == nullptr) return;  // the progress track and bar take no mouse
    break;
  }
  platform_.StartWindowDrag(host_.WizardWindow());
}

void TSetupWizard::FormMoved(int left, int top) {
  window_.left = left;
  window_.top = top;
}

void TSetupWizard::ProcessMessages() {
  host_.Refresh();
  platform_.ProcessMessages();
}

}  // namespace velmora::app
