// The wizard's page flow: showing pages, the window's size, shape and place, the buttons of every
// page, the environment timer, the uninstaller's message, the paging keys and the free-space label.
// OS-independent.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

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

// The click handlers the window description binds controls to, by the names it gives them. The
// Back button of the features page is bound but never enabled, so its handler does nothing.
struct NamedClickHandler {
  const char* name;
  TSetupWizard::ClickHandler handler;
};
constexpr NamedClickHandler kClickHandlers[] = {
    {"btTurnBackSetupClick", &TSetupWizard::btTurnBackSetupClick},
    {"RzBmpButton23Click", &TSetupWizard::btTurnBackSetupClick},
    {"RzBmpButton26Click", &TSetupWizard::btTurnBackSetupClick},
    {"RzBmpButton15Click", &TSetupWizard::btTurnBackSetupClick},
    {"RzBmpButton25Click", &TSetupWizard::RzBmpButton25Click},
    {"RzBmpButton29Click", &TSetupWizard::RzBmpButton29Click},
    {"RzBmpButton30Click", &TSetupWizard::RzBmpButton30Click},
    {"RzBmpButton16Click", nullptr},
    {"RzBmpButton1Click", &TSetupWizard::RzBmpButton1Click},
    {"chbAgreeClick", &TSetupWizard::chbAgreeClick},
    {"btNext2Click", &TSetupWizard::btNext2Click},
    {"RzBmpButton22Click", &TSetupWizard::RzBmpButton22Click},
    {"RzBmpButton10Click", &TSetupWizard::RzBmpButton10Click},
    {"rb1Click", &TSetupWizard::rb1Click},
    {"RzBmpButton11Click", &TSetupWizard::RzBmpButton11Click},
    {"RzBmpButton9Click", &TSetupWizard::RzBmpButton9Click},
    {"RzBmpButton8Click", &TSetupWizard::RzBmpButton8Click},
    {"RzBmpButton20Click", &TSetupWizard::RzBmpButton20Click},
};

}  // namespace

TSetupWizard::TSetupWizard(IPlatform& platform, IWizardHost& host) : platform_(platform), host_(host) {
  // Binds each clickable control to the handler its description names; a name without a handler
  // is a fault in the program, found by the first wizard made.
  for (const ui::ControlDescription& d : ui::Controls()) {
    if (!ui::IsClickable(d.kind) || d.handler == nullptr) continue;
    const NamedClickHandler* bound = nullptr;
    for (const NamedClickHandler& named : kClickHandlers) {
      if (std::strcmp(named.name, d.handler) == 0) bound = &named;
    }
    if (bound == nullptr) throw std::logic_error(std::string("no click handler named ") + d.handler);
    clicks_[size_t(d.id)] = bound->handler;
  }
  window_.OnTextChange = [this](ControlId edit) {
    if (edit == ControlId::edtSetupPath) edtSetupPathChange();
  };
}

// --- Click handlers, page by page ---

void TSetupWizard::btTurnBackSetupClick() { Close(); }

void TSetupWizard::RzBmpButton25Click() {
  ShowPage(0);
  platform_.SetTopmost(host_.WizardWindow(), true);
  platform_.SetTopmost(host_.WizardWindow(), false);
  if (window_.tmshow.tag == 1) {
    window_.tmshow.running = true;
    window_.Control(ControlId::RzBmpButton30).enabled = false;
    window_.Control(ControlId::RzBmpButton29).enabled = false;
  }
}

void TSetupWizard::RzBmpButton30Click() {
  if (CheckEnvironment() && window_.Control(ControlId::RzBmpButton30).tag == 0) ShowPage(1);
}

void TSetupWizard::RzBmpButton29Click() {
  window_.tmshow.tag = 1;
  ShowPage(6);
}

void TSetupWizard::RzBmpButton1Click() {
  ShowPage(2);
  MoveWindowVertically(1, 2, -1);
}

void TSetupWizard::chbAgreeClick() {
  window_.Control(ControlId::btNext2).enabled = window_.Control(ControlId::chbAgree).checked;
}

void TSetupWizard::btNext2Click() {
  if (window_.Control(ControlId::chbAgree).checked) {
    edtSetupPathChange();
    ShowPage(3);
  } else {
    platform_.ShowMessageBox(kAgreementReminder, *SetupMessageFlags(0), false);
    window_.focused = ControlId::chbAgree;
  }
}

void TSetupWizard::RzBmpButton22Click() {
  ShowPage(1);
  MoveWindowVertically(1, 2, +1);
}

void TSetupWizard::RzBmpButton10Click() {
  std::string folder;
  if (!host_.PickFolder(window_.Control(ControlId::edtSetupPath).text, kSetupFolderTitle, folder)) return;
  window_.SetText(ControlId::edtSetupPath, folder);
  edtSetupPathChange();
}

void TSetupWizard::rb1Click() {
  const bool custom = window_.Control(ControlId::rb2).checked;
  window_.Control(ControlId::edtUserpath).enabled = custom;
  window_.Control(ControlId::RzBmpButton11).visible = custom;
}

void TSetupWizard::RzBmpButton11Click() {
  std::string folder;
  if (!host_.PickFolder(window_.Control(ControlId::edtUserpath).text, kUserFolderTitle, folder)) return;
  window_.SetText(ControlId::edtUserpath, folder);
  // Checking rb2 from here runs its click handler, as the user's click would.
  if (!window_.Control(ControlId::rb2).checked) {
    CheckRadio(ControlId::rb2);
    Clicked(ControlId::rb2);
  }
}

void TSetupWizard::RzBmpButton9Click() { ShowPage(2); }

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
  const std::string free = GetFreeSpaceMB(window_.Control(ControlId::edtSetupPath).text);
  window_.SetText(ControlId::lbSize, kRequiredSpace + free + "MB");
  if (window_.Control(ControlId::rb1).checked) window_.SetText(ControlId::edtUserpath, window_.Control(ControlId::edtSetupPath).text);
}

void TSetupWizard::Click(ControlId control) {
  // Check boxes toggle and radio buttons check themselves before their handler runs.
  TControlState& c = window_.Control(control);
  if (!c.enabled || !c.visible) return;
  const ui::ControlKind kind = c.description->kind;
  if (kind == ui::ControlKind::kCheckBox || kind == ui::ControlKind::kRadioButton) {
    Toggled(control, kind == ui::ControlKind::kRadioButton || !c.checked);
    return;
  }
  Clicked(control);
}

void TSetupWizard::Toggled(ControlId control, bool checked) {
  if (ui::Describe(control).kind == ui::ControlKind::kRadioButton) {
    if (checked) CheckRadio(control);  // the user never unchecks a radio button
  } else {
    window_.Control(control).checked = checked;
  }
  Clicked(control);
}

void TSetupWizard::CheckRadio(ControlId radio) {
  // The radio buttons of a page are one group.
  const int page = ui::Describe(radio).pageTag;
  for (const ui::ControlDescription& d : ui::Controls()) {
    if (d.kind == ui::ControlKind::kRadioButton && d.pageTag == page) window_.Control(d.id).checked = d.id == radio;
  }
}

void TSetupWizard::Clicked(ControlId control) {
  if (ClickHandler handler = clicks_[size_t(control)]) (this->*handler)();
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

void TSetupWizard::KeyDown(std::optional<ControlId> control, uint32_t key) {
  if (control && *control != ControlId::Memo1) return;
  if (key == kVkNumpad3) platform_.SendKeyDown(host_.ControlWindow(ControlId::Memo1), kVkNext);
  if (key == kVkNumpad9) platform_.SendKeyDown(host_.ControlWindow(ControlId::Memo1), kVkPrior);
}

void TSetupWizard::FormMouseDown(int x, int y) {
  // The painted controls of the shown page, topmost first: the one under the point decides.
  const std::vector<ui::ControlDescription>& controls = ui::Controls();
  for (auto d = controls.rbegin(); d != controls.rend(); ++d) {
    if (ui::IsWindowed(d->kind) || d->pageTag != window_.currentPage || !window_.pageVisible[d->pageTag]) continue;
    const TControlState& c = window_.Control(d->id);
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
