// The close query and the rollback of a cancelled installation. OS-independent.
#include "app/ProductContract.h"
#include "app/SetupWizard.h"
#include "app/StatusTexts.h"
#include "zip/AnsiText.h"

namespace velmora::app {

using namespace velmora::platform;

namespace {

constexpr const char* kQuitQuestion = "确认退出安装程序？";
// Three lines, each pair separated by LF CR.
constexpr const char* kQuitInstallingQuestion =
    "程序还未安装完成，如果您现在退出，程序将不会被安装。\n\r您可以稍后再次运行安装程序来完成安装。\n\r确认退出安装程序？";
constexpr uint32_t kQuestionFlags = kMbIconQuestion | kMbYesNo;  // 0x24, not topmost
constexpr const char* kRemoverLowerCase = "remover.exe";

std::string WithoutTrailingBackslash(std::string folder) {
  if (!folder.empty() && zip::LastDelimiter(folder, '\\') == folder.size() - 1) folder.pop_back();
  return folder;
}

// The folder holding a file, without its trailing backslash.
std::string FolderOf(const std::string& file) { return WithoutTrailingBackslash(zip::ExtractFilePath(file)); }

}  // namespace

bool TSetupWizard::FormCloseQuery() {
  if (!session_.Installing) {
    if (platform_.ShowMessageBox(kQuitQuestion, kQuestionFlags, true) != kIdYes) return false;
    closeConfirmed_ = true;
    return true;
  }
  if (platform_.ShowMessageBox(kQuitInstallingQuestion, kQuestionFlags, true) != kIdYes) return false;
  closeConfirmed_ = true;

  session_.Aborted = true;
  window_.SetText(ControlId::Label11, kRollingBack);
  SetStatus(kDeletingFiles);
  filesLeftByRollback_ = RemoveLoggedFiles();
  DeleteAppKey();
  // An uninstall entry this run wrote would point at files that are gone now.
  if (uninstallInfoWritten_) {
    try {
      platform_.RegRemoveKey(RegistryRoot::kLocalMachine, kUninstallKey);
    } catch (const ERegistryException&) {
    }
  }
  platform_.RemoveFile(SetupFolder() + kInstallLogName);
  platform_.RemoveFile(SetupFolder() + kRemoverLowerCase);
  platform_.RemoveFile(session_.PayloadTempFile);
  platform_.RemoveFile(ChangeFileExt(session_.PayloadTempFile, kPayloadCopyExtension));
  return true;
}

std::vector<std::string> TSetupWizard::RemoveLoggedFiles() {
  std::vector<std::string> left;
  for (const std::string& line : session_.InstallLog.Lines()) {
    const std::optional<TLogItem> item = ReadLogLine(line);
    if (!item) continue;
    if (item->kind == TLogItem::Kind::kFile) {
      if (!platform_.RemoveFile(item->path)) left.push_back(item->path);
      // Only the file's own folder, once, and only when it is empty by now.
      platform_.RemoveEmptyDirectory(FolderOf(item->path));
    } else if (platform_.DirectoryExists(WithoutTrailingBackslash(item->path))) {
      platform_.RemoveEmptyDirectory(WithoutTrailingBackslash(item->path));
    }
  }
  return left;
}

void TSetupWizard::RemoveFilesLeftByRollback() {
  // Only what the rollback itself could not delete: the log has grown since by the entries skipped
  // after the cancellation, and those paths may hold the user's own files. A folder is tried once
  // more only at the moment one of its files goes, as in the rollback.
  for (const std::string& file : filesLeftByRollback_) {
    if (platform_.RemoveFile(file)) platform_.RemoveEmptyDirectory(FolderOf(file));
  }
  filesLeftByRollback_.clear();
}

void TSetupWizard::DeleteAppKey() {
  try {
    platform_.RegRemoveKey(RegistryRoot::kCurrentUser, kAppKey);
  } catch (const ERegistryException&) {
  }
}

}  // namespace velmora::app
