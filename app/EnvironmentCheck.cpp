// The environment check: an earlier installation is offered for removal through its own
// uninstaller, and a running copy of the product blocks the way. OS-independent.
#include "app/ProductContract.h"
#include "app/SetupWizard.h"
#include "zip/AnsiText.h"

namespace velmora::app {

using namespace velmora::platform;

namespace {

constexpr const char* kRemoveEarlierQuestion = "检测到已经安装了 Velmora ,请先卸载旧系统再安装。";
constexpr const char* kRunningProductQuestion = "检测到已有 Ormund的同类型软件 正在运行，请先关闭后再点击重试。";
constexpr uint32_t kRemoveEarlierFlags = kMbIconQuestion | kMbYesNo;                     // 0x24
constexpr uint32_t kRunningProductFlags = kMbTopmost | kMbIconQuestion | kMbRetryCancel;  // 0x40025

}  // namespace

bool TSetupWizard::CheckEnvironment() {
  window_.tmReCheck.tag = 0;
  window_.Control(ControlId::RzBmpButton30).tag = 0;
  try {
    const std::string uninstaller = platform_.RegReadString(RegistryRoot::kLocalMachine, kUninstallKey, kUninstallStringValue);
    if (!platform_.FileExists(uninstaller)) {
      window_.Control(ControlId::RzBmpButton30).tag = 0;
    } else {
      window_.Control(ControlId::RzBmpButton30).tag = 1;
      if (platform_.ShowMessageBox(kRemoveEarlierQuestion, kRemoveEarlierFlags, true) != kIdYes) {
        window_.hidden = true;
        ProcessMessages();
        platform_.Terminate();
        return false;
      }
      platform_.ExecuteShell(host_.ApplicationWindow(), "", uninstaller, std::to_string(host_.WizardWindow()), "",
                             kShowNormal);
      window_.tmReCheck.tag = 1;
      window_.Control(ControlId::RzBmpButton30).enabled = true;
      window_.Control(ControlId::RzBmpButton29).enabled = true;
    }
  } catch (const ERegistryException&) {
    // No earlier installation registered, or its entry cannot be read.
  }
  ProcessMessages();
  platform_.EnumTopLevelWindows([this](const WindowInfo& w) { return RunningProductProbe(w); });
  return true;
}

bool TSetupWizard::RunningProductProbe(const WindowInfo& window) {
  ProcessMessages();
  for (const TRunningProductRule& rule : kRunningProductRules) {
    if (window.title.find(rule.titlePart) == std::string::npos) continue;
    if (!zip::SameTextAscii(window.className, rule.className)) continue;
    if (!zip::SameTextAscii(GetWindowImageName(window), kRunningProductImage)) continue;
    if (platform_.ShowMessageBox(kRunningProductQuestion, kRunningProductFlags, false) == kIdRetry) {
      CheckEnvironment();
    } else {
      platform_.Terminate();
    }
    ProcessMessages();
    return false;
  }
  ProcessMessages();
  return true;
}

std::string TSetupWizard::GetWindowImageName(const WindowInfo& window) {
  return zip::ExtractFileName(platform_.ProcessImageName(window.processId));
}

}  // namespace velmora::app
