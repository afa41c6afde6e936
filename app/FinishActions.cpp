// The finish page's actions: the checked options, the Start-menu folder with its shortcuts, the
// last lines of the install log, and the end of the program. OS-independent.
#include "app/ProductContract.h"
#include "app/SetupWizard.h"
#include "zip/AnsiText.h"

namespace velmora::app {

using namespace velmora::platform;

namespace {

constexpr const char* kLinkExtension = ".lnk";
constexpr const char* kUninstallLinkPrefix = "卸载 ";
constexpr const char* kUpdaterLink = "自动更新程序.lnk";
constexpr const char* kStartPageKey = "SoftWare\\MicroSoft\\Internet Explorer\\Main";
constexpr const char* kStartPageValue = "Start Page";
constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kQuickLaunchTail = "\\Microsoft\\Internet Explorer\\Quick Launch\\";

}  // namespace

void TSetupWizard::RzBmpButton20Click() {
  session_.Installing = false;
  const std::string product = session_.InstallFolder + kProductExe;
  const std::string productLink = std::string(kProductName) + kLinkExtension;
  TInstallLog& log = session_.InstallLog;
  if (window_.Control(ControlId::ch2).checked) SetHomePage(kMakerUrl);
  if (window_.Control(ControlId::ch3).checked) {
    const std::string desktop = WithTrailingBackslash(platform_.SpecialFolderByPath(SpecialFolder::kDesktop));
    CreateShortcut(product, desktop + productLink);
    log.Append(kFileLinePrefix + desktop + productLink);
  }
  if (window_.Control(ControlId::ch4).checked) {
    CreateShortcut(product, GetQuickLaunchFolder() + productLink);
    log.Append(kFileLinePrefix + GetQuickLaunchFolder() + productLink);
  }
  if (window_.Control(ControlId::ch1).checked) {
    platform_.ExecuteShell(host_.WizardWindow(), "open", product, "", session_.InstallFolder, kShowHide);
  }

  const std::string menu =
      WithTrailingBackslash(platform_.SpecialFolderByPath(SpecialFolder::kPrograms)) + kProductName + "\\";
  platform_.MakeDirectory(menu);
  const std::string links[] = {menu + productLink, menu + kUninstallLinkPrefix + productLink, menu + kUpdaterLink};
  for (const std::string& link : links) {
    if (platform_.FileExists(link)) platform_.RemoveFile(link);
  }
  CreateShortcut(product, links[0]);
  CreateShortcut(session_.InstallFolder + kUninstallerExe, links[1]);
  CreateShortcut(session_.InstallFolder + kUpdaterExe, links[2]);
  for (const std::string& link : links) log.Append(kFileLinePrefix + link);
  log.Append(kDirLinePrefix + menu);
  try {
    log.Save(SetupFolder() + kInstallLogName);
  } catch (const std::exception&) {
  }
  platform_.Terminate();
}

void TSetupWizard::SetHomePage(const std::string& address) {
  try {
    platform_.RegWriteString(RegistryRoot::kCurrentUser, kStartPageKey, kStartPageValue, address);
  } catch (const ERegistryException&) {
  }
}

void TSetupWizard::CreateShortcut(const std::string& target, const std::string& linkFile) {
  platform_.CreateShellLink(linkFile, target, zip::ExtractFilePath(target));
}

std::string TSetupWizard::GetQuickLaunchFolder() {
  std::string appData;
  try {
    appData = platform_.RegReadString(RegistryRoot::kCurrentUser, kShellFoldersKey, "AppData");
  } catch (const ERegistryException&) {
  }
  return appData + kQuickLaunchTail;
}

}  // namespace velmora::app
