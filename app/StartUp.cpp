// The wizard window's creation and destruction, and its message helper. OS-independent.
#include <cmath>

#include "app/ProductContract.h"
#include "app/SetupWizard.h"

namespace velmora::app {

using namespace velmora::platform;

namespace {

// The host part of the maker's web address.
std::string MakerHost() {
  std::string url = kMakerUrl;
  const size_t scheme = url.find("://");
  if (scheme != std::string::npos) url.erase(0, scheme + 3);
  return url.substr(0, url.find('/'));
}

}  // namespace

void TSetupWizard::FormCreate() {
  session_.Aborted = false;
  session_.Installing = false;
  session_.InstallLog.Clear();
  // Stale temporary files of an earlier run go; failures do not matter.
  session_.PayloadTempFile = platform_.TempFolder() + kPayloadTempName;
  if (platform_.FileExists(session_.PayloadTempFile)) platform_.RemoveFile(session_.PayloadTempFile);
  platform_.RemoveFile(session_.PayloadTempFile + "~");
  session_.SystemFolder = platform_.SystemFolder();
  window_.SetText(ControlId::edtSetupPath, platform_.SpecialFolderByIdList(SpecialFolder::kProgramFiles) + kProductName + "\\");
  window_.SetText(ControlId::edtUserpath, platform_.SpecialFolderByIdList(SpecialFolder::kPersonal) + kProductName + "\\");
  window_.SetText(ControlId::ch2, std::string("设置 ") + MakerHost() + " 为首页");
  window_.currentPage = -1;
  ShowPage(6);
  window_.tmshow.tag = 1;
  progressPercent_ = 0;
}

void TSetupWizard::CentreOn(int desktopWidth, int desktopHeight) {
  window_.left = int(std::nearbyint((desktopWidth - window_.width) / 2.0));
  window_.top = int(std::nearbyint((desktopHeight - window_.height) / 2.0));
}

void TSetupWizard::FormDestroy() {
  if (platform_.FileExists(session_.PayloadTempFile)) platform_.RemoveFile(session_.PayloadTempFile);
  platform_.RemoveFile(ChangeFileExt(session_.PayloadTempFile, kPayloadCopyExtension));
  session_.InstallLog.Clear();
}

int TSetupWizard::ShowSetupMessage(const std::string& text, int kind) {
  const std::optional<uint32_t> flags = SetupMessageFlags(kind);
  return flags ? platform_.ShowMessageBox(text, *flags, false) : 0;
}

}  // namespace velmora::app
