// The install sequence: copy the payload out of the setup, decompress it, extract the archive while
// logging every file, then the data-folder setting, components and registry entries. OS-independent.
#include <optional>

#include "app/ProductContract.h"
#include "app/SetupWizard.h"
#include "app/StatusTexts.h"
#include "payload/LZMADeCompressReader.h"
#include "payload/UCovert.h"
#include "zip/AnsiText.h"
#include "zip/VCLUnZip.h"

namespace velmora::app {

using namespace velmora::platform;

namespace {

constexpr const char* kError8001 = "解压缩失败，无法完成安装，请以管理员身份重新运行本安装程序。(error code 8001)";
constexpr const char* kError8002 = "解压缩失败，无法完成安装，请以管理员身份重新运行本安装程序。(error code 8002)";
constexpr const char* kError8003 = "解安装包失败。(error code 8003)";
constexpr const char* kError8004 = "解压缩安装包失败。(error code 8004)";
constexpr const char* kError8005 = "解压缩安装文件失败，无法完成安装，请以管理员身份重新运行本安装程序。(error code 8005)";
constexpr const char* kArchiveExtension = ".~tmp~";
constexpr uint32_t kAttributeHidden = 2;
constexpr uint32_t kRetryCancelQuestion = kMbTopmost | kMbIconQuestion | kMbRetryCancel;  // 0x40025
constexpr uint32_t kEntryPause = 10;
constexpr uint32_t kStepPause = 500;

// The ZIP engine lets the wizard's own message loop run, the wizard's way, so its close query
// works mid-run.
class WizardZipServices : public zip::TZipServices {
 public:
  WizardZipServices(IPlatform& platform, std::function<void()> processMessages)
      : platform_(platform), processMessages_(std::move(processMessages)) {}
  void ProcessMessages() override { processMessages_(); }
  int MessageBox(const std::string& text, const std::string&, uint32_t flags) override {
    return platform_.ShowMessageBox(text, flags, false);
  }

 private:
  IPlatform& platform_;
  std::function<void()> processMessages_;
};

// The part of a path after its last backslash or colon.
std::string AfterLastSeparator(const std::string& path) {
  const size_t slash = zip::LastDelimiter(path, '\\'), colon = zip::LastDelimiter(path, ':');
  size_t cut = std::string::npos;
  if (slash != std::string::npos) cut = slash;
  if (colon != std::string::npos && (cut == std::string::npos || colon > cut)) cut = colon;
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string TSetupWizard::SetupFolder() { return WithTrailingBackslash(window_.Control(ControlId::edtSetupPath).text); }

void TSetupWizard::SetStatus(const std::string& text) {
  window_.SetText(ControlId::lbInfo, text);
  host_.Refresh();
}

void TSetupWizard::RzBmpButton8Click() {
  const std::string typed = window_.Control(ControlId::edtSetupPath).text;
  if (!platform_.DirectoryExists(typed)) platform_.MakeDirectory(typed);
  session_.InstallFolder = WithTrailingBackslash(typed);
  progressPercent_ = 0;
  UpdateProgressBar();
  SetStatus(kStatusUnpacking);
  ProcessMessages();
  ShowPage(4);
  MoveWindowVertically(0, 1, +1);
  ProcessMessages();
  session_.Installing = true;
  // A close the user confirmed at the message points above (the plain quit question, since nothing
  // was installing yet) ends the program: nothing is installed beneath it.
  if (session_.Aborted || closeConfirmed_) return;

  std::string& payload = session_.PayloadTempFile;
  if (platform_.FileExists(payload)) platform_.RemoveFile(payload);
  platform_.RemoveFile(payload + "~");
  if (!payload::CopyPayloadOut(host_.ExecutablePath(), payload)) {
    ShowSetupMessage(kError8001, -1);
    Close();
    return;
  }
  platform_.SetAttributes(payload, kAttributeHidden);
  if (!platform_.FileExists(payload)) {
    platform_.ShowPlainMessage(kError8002);
    Close();
    return;
  }

  SetStatus(kStatusDecompressing);
  ProcessMessages();
  // A Cancel that waited in the queue during the copy-out has rolled back and deleted the copy; the
  // user asked to quit, not for an error about the missing copy.
  if (session_.Aborted) return;
  try {
    payload::TLZMADeCompressReader reader;
    const std::string block = payload;
    payload += "~";
    platform_.RemoveFile(payload);
    // The block is read and the archive written a chunk at a time. Data that does not decode leaves
    // no archive; the extraction then reports the missing archive.
    reader.DecompressFile(block, payload);
  } catch (const std::exception&) {
    platform_.ShowPlainMessage(kError8005);
    Close();
    return;
  }
  platform_.RemoveFile(ChangeFileExt(payload, kPayloadCopyExtension));
  if (session_.Aborted) return;

  SetStatus(kStatusCopying);
  ProcessMessages();
  if (session_.Aborted) return;  // likewise for one that waited during the decompression
  const bool extracted = ExtractArchive();
  if (!extracted) Close();
  // A failed extraction never goes on to the post-install steps, whatever the close query answered.
  if (!session_.Aborted && extracted) RunPostInstall();
}

bool TSetupWizard::ExtractArchive() {
  const std::string& archive = session_.PayloadTempFile;
  const std::string extension = archive.size() >= 6 ? zip::LowerAscii(archive.substr(archive.size() - 6)) : "";
  if (!platform_.FileExists(archive) || extension != kArchiveExtension) {
    ShowSetupMessage(kError8004, 0);
    platform_.RemoveFile(archive);
    return false;
  }
  session_.InstallLog.Clear();

  WizardZipServices services(platform_, [this] { ProcessMessages(); });
  bool entryFailed = false;
  bool engineFailed = false;  // an exception while opening, configuring or running the engine
  {
    // Made inside the try, so that running out of memory for the engine itself is an 8003 too.
    std::optional<zip::TVCLUnZip> made;
    try {
      zip::TVCLUnZip& engine = made.emplace(services);
      engine.SetZipName(archive);
      engine.ReadCatalogue();
      engine.SetDestDir(SetupFolder());
      engine.DoAll = true;
      engine.SetDestDir(SetupFolder());
      engine.RecreateDirs = true;
      engine.RetainAttributes = true;
      engine.ReplaceReadOnly = true;
      engine.OverwriteMode = zip::TUZOverwriteMode::Always;
      engine.OnTotalPercentDone = [this](zip::TVCLUnZip* sender, int percent) { ZipTotalPercentDone(sender, percent); };
      engine.OnStartUnZip = [this](zip::TVCLUnZip* sender, int index, std::string& name, bool& skip) {
        ZipStartUnZip(sender, index, name, skip);
      };
      // A damaged entry fails the installation; entries skipped after a cancellation do not.
      engine.OnBadCRC = [&](zip::TVCLUnZip*, int32_t, int32_t, int) { entryFailed = true; };
      engine.OnSkippingFile = [&](zip::TVCLUnZip*, zip::TSkipReason, const std::string&, int, bool&) {
        entryFailed = true;
      };
      if (session_.Aborted) return true;
      engine.ExtractEntries();
    } catch (const std::exception&) {
      engineFailed = true;
    }
  }
  // After a cancellation the user asked for the rollback, not for an error: whatever the engine
  // met after it, the file it held open then is closed now and goes too.
  if (session_.Aborted) {
    RemoveFilesLeftByRollback();
    return true;
  }
  if (engineFailed || entryFailed) {
    ShowSetupMessage(kError8003, 0);
    return false;
  }

  try {
    session_.InstallLog.Save(session_.InstallFolder + kInstallLogName);
  } catch (const std::exception&) {
  }
  try {
    const std::string midasTarget = session_.SystemFolder + kRuntimeDll;
    if (!platform_.CopyFileTo(session_.InstallFolder + kRuntimeDll, midasTarget)) {
      const std::string text = std::string("复制文件 \"") + midasTarget + "\" 失败，请关闭其他程序后重试。";
      ShowSetupMessage(text, 0);
      if (platform_.ShowMessageBox(text, kRetryCancelQuestion, false) == kIdRetry) {
        platform_.CopyFileTo(session_.InstallFolder + kRuntimeDll, midasTarget);
      }
    }
  } catch (const std::exception&) {
  }
  try {
    const std::string dataFolder = window_.Control(ControlId::rb1).checked
                                       ? SetupFolder()
                                       : WithTrailingBackslash(window_.Control(ControlId::edtUserpath).text);
    platform_.WriteIniString(session_.InstallFolder + kStationIni, kStationSection, kStationKey, dataFolder);
  } catch (const std::exception&) {
  }
  platform_.RemoveFile(archive);
  return true;
}

void TSetupWizard::ZipStartUnZip(zip::TVCLUnZip*, int, std::string& fileName, bool& skip) {
  session_.InstallLog.Append(kFileLinePrefix + fileName);
  if (session_.Aborted) {
    skip = true;
    return;
  }
  SetStatus(kStatusCopyingFile + AfterLastSeparator(fileName) + kStatusCopyingFileEnd);
  platform_.Pause(kEntryPause);
}

void TSetupWizard::ZipTotalPercentDone(zip::TVCLUnZip*, int percent) {
  if (session_.Aborted) return;
  progressPercent_ = percent;
  UpdateProgressBar();
}

void TSetupWizard::UpdateProgressBar() {
  progressPercent_ = progressPercent_ < 0 ? 0 : progressPercent_ > 100 ? 100 : progressPercent_;
  TControlState& bar = window_.Control(ControlId::imgbar);
  const int width = progressPercent_ * bar.tag / 100;
  // The engine reports for every block it writes, mostly with an unchanged percentage; a repaint
  // costs several round trips to the window system and would show nothing new.
  if (width == bar.width) return;
  bar.width = width;
  host_.Refresh();
}

void TSetupWizard::RunPostInstall() {
  SetStatus(kStatusRegisteringDlls);
  RegisterDlls();
  platform_.Pause(kStepPause);
  SetStatus(kStatusUpdatingRegistry);
  WriteAppPath();
  platform_.Pause(kStepPause);
  SetStatus(kStatusUninstallInfo);
  WriteUninstallInfo();
  platform_.Pause(kStepPause);
  SetStatus(kStatusDone);
  platform_.Pause(kStepPause);
  ShowPage(5);
  MoveWindowVertically(0, 1, -1);
}

void TSetupWizard::RegisterDlls() {
  const WindowHandle owner = host_.WizardWindow();
  // regsvr32 by its full path, so that no program of that name beside the setup is ever started.
  const std::string midas = platform_.FileExists(session_.SystemFolder + kRuntimeDll)
                                ? session_.SystemFolder + kRuntimeDll
                                : session_.InstallFolder + kRuntimeDll;
  platform_.ExecuteShell(owner, "open", session_.SystemFolder + "regsvr32.exe", "/s \"" + midas + "\"", "", kShowHide);
  for (const char* batch : {kRegisterPaymentBatch, kRegisterModulesBatch}) {
    if (platform_.FileExists(session_.InstallFolder + batch)) {
      platform_.ExecuteShell(owner, "open", session_.InstallFolder + batch, "", "", kShowNormal);
    }
  }
}

void TSetupWizard::WriteAppPath() {
  try {
    platform_.RegWriteString(RegistryRoot::kCurrentUser, kAppKey, kAppPathValue, session_.InstallFolder);
  } catch (const ERegistryException&) {
  }
}

void TSetupWizard::WriteUninstallInfo() {
  const std::string& folder = session_.InstallFolder;
  try {
    auto write = [this](const char* name, const std::string& value) {
      platform_.RegWriteString(RegistryRoot::kLocalMachine, kUninstallKey, name, value);
      uninstallInfoWritten_ = true;
    };
    write("DisplayIcon", folder + kProductExe + ",0");
    write("DisplayName", kProductName);
    write("HelpLink", kMakerUrl);
    write("InstallLocation", folder);
    write(kUninstallStringValue, folder + kUninstallerExe);
    write("URLInfoAbout", kMakerUrl);
    write("Publisher", kPublisher);
    write("URLUpdateInfo", folder + kUpdaterExe);
    platform_.RegWriteInteger(RegistryRoot::kLocalMachine, kUninstallKey, "NoModify", 1);
    platform_.RegWriteInteger(RegistryRoot::kLocalMachine, kUninstallKey, "NoRepair", 1);
  } catch (const ERegistryException&) {
  }
}

}  // namespace velmora::app
