// Test doubles of the operating-system interface and of the wizard's window host: they keep an
// in-memory registry, file set and window list, record every call as a line of text, and answer
// message boxes and folder dialogs from a script.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <cstdlib>

#include <sys/stat.h>

#include "app/WindowModel.h"
#include "app/WizardHost.h"
#include "platform/Platform.h"
#include "platform/PosixPath.h"
#include "platform/SysFile.h"
#include "platform/SysFs.h"

namespace velmora::test {

using platform::RegistryRoot;
using platform::WindowHandle;

class FakePlatform : public platform::IPlatform {
 public:
  std::vector<std::string> calls;  // every call, in order, as "Name(arguments)"
  std::map<std::string, std::string> registry;  // "HKLM\key\name" -> value
  std::set<std::string> files, folders;
  std::map<std::string, uint64_t> freeSpace;  // by drive root "C:\"
  std::vector<platform::WindowInfo> windows;
  std::map<uint32_t, std::string> processImages;
  std::deque<int> messageBoxAnswers;  // popped by each message box; OK when empty
  std::vector<std::string> messageBoxes;  // "text|flags|modal"
  bool terminated = false;
  // File operations on the real file system (through the engines' file layer) instead of the sets.
  bool realFiles = false;

  static std::string Root(RegistryRoot root) { return root == RegistryRoot::kLocalMachine ? "HKLM\\" : "HKCU\\"; }

  std::string tempFolder = "C:\\Temp\\";
  std::string systemFolder = "C:\\Windows\\system32\\";
  std::string programFiles = "C:\\Program Files\\";
  std::string personalFolder = "C:\\Users\\u\\Documents\\";
  std::string desktopFolder = "C:\\Users\\u\\Desktop\\";
  std::string programsFolder = "C:\\Users\\u\\Start Menu\\Programs\\";
  // Real files, with every folder the system names below `root`, made as a system has them.
  void UseFoldersBelow(const std::string& root) {
    realFiles = true;
    tempFolder = root + "\\temp\\";
    systemFolder = root + "\\system32\\";
    programFiles = root + "\\Program Files\\";
    personalFolder = root + "\\Users\\u\\Documents\\";
    desktopFolder = root + "\\Users\\u\\Desktop\\";
    programsFolder = root + "\\Users\\u\\Start Menu\\Programs\\";
    for (const std::string* f : {&tempFolder, &systemFolder, &programFiles, &personalFolder, &desktopFolder, &programsFolder}) {
      sys::ForceDirectories(*f);
    }
  }
  // Asked with the destination before each file copy; true makes it fail, as for a file held open.
  std::function<bool(const std::string&)> refuseCopy;
  std::function<void()> onProcessMessages;  // runs at every message-processing point
  // Asked with "HKLM\key\name" before each registry write; true refuses it as the system does for
  // a user without the rights (ERegistryException).
  std::function<bool(const std::string&)> refuseRegistryWrite;

  std::string TempFolder() override { return tempFolder; }
  std::string SystemFolder() override { return systemFolder; }
  std::string SpecialFolderByIdList(platform::SpecialFolder f) override {
    return f == platform::SpecialFolder::kProgramFiles ? programFiles : personalFolder;
  }
  std::string SpecialFolderByPath(platform::SpecialFolder f) override {
    return f == platform::SpecialFolder::kDesktop ? desktopFolder : programsFolder;
  }
  std::string RegReadString(RegistryRoot root, const std::string& key, const std::string& name) override {
    calls.push_back("RegReadString(" + Root(root) + key + "\\" + name + ")");
    auto it = registry.find(Root(root) + key + "\\" + name);
    if (it == registry.end()) throw platform::ERegistryException("no such value");
    return it->second;
  }
  void RegWriteString(RegistryRoot root, const std::string& key, const std::string& name,
                      const std::string& value) override {
    calls.push_back("RegWriteString(" + Root(root) + key + "\\" + name + "=" + value + ")");
    if (refuseRegistryWrite && refuseRegistryWrite(Root(root) + key + "\\" + name)) {
      throw platform::ERegistryException("access denied");
    }
    registry[Root(root) + key + "\\" + name] = value;
  }
  void RegWriteInteger(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) override {
    RegWriteString(root, key, name, std::to_string(value));
  }
  void RegRemoveKey(RegistryRoot root, const std::string& key) override {
    calls.push_back("RegRemoveKey(" + Root(root) + key + ")");
    const std::string prefix = Root(root) + key + "\\";
    for (auto it = registry.begin(); it != registry.end();) {
      it = it->first.rfind(prefix, 0) == 0 ? registry.erase(it) : std::next(it);
    }
  }
  bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) override {
    calls.push_back("WriteIniString(" + file + "|" + section + "|" + key + "=" + value + ")");
    if (realFiles) {
      // Enough of a profile file for the tests: the section and the one key.
      sys::File f = sys::File::Open(file, sys::OpenMode::kCreateTruncate);
      const std::string text = "[" + section + "]\r\n" + key + "=" + value + "\r\n";
      return f && f.Write(text.data(), text.size());
    }
    return true;
  }
  bool FileExists(const std::string& path) override {
    return realFiles ? sys::FileExists(path) : files.count(path) != 0;
  }
  bool RemoveFile(const std::string& path) override {
    calls.push_back("RemoveFile(" + path + ")");
    return realFiles ? sys::RemoveFile(path) : files.erase(path) != 0;
  }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    calls.push_back("SetAttributes(" + path + "," + std::to_string(attributes) + ")");
    return FileExists(path);
  }
  bool CopyFileTo(const std::string& from, const std::string& to) override {
    calls.push_back("CopyFileTo(" + from + "," + to + ")");
    if (!FileExists(from) || (refuseCopy && refuseCopy(to))) return false;
    if (realFiles) return std::system(("cp '" + sys::NativePath(from) + "' '" + sys::NativePath(to) + "' 2>/dev/null").c_str()) == 0;
    files.insert(to);
    return true;
  }
  bool DirectoryExists(const std::string& path) override {
    return realFiles ? sys::DirectoryExists(path) : folders.count(path) != 0;
  }
  bool MakeDirectory(const std::string& path) override {
    calls.push_back("MakeDirectory(" + path + ")");
    // One level, as the system's call makes it.
    return realFiles ? ::mkdir(sys::NativePath(path).c_str(), 0777) == 0 : folders.insert(path).second;
  }
  bool RemoveEmptyDirectory(const std::string& path) override {
    calls.push_back("RemoveEmptyDirectory(" + path + ")");
    return realFiles ? sys::RemoveEmptyFolder(path) : folders.erase(path) != 0;
  }
  bool FreeSpace(const std::string& path, uint64_t& bytes) override {
    auto it = freeSpace.find(path);
    if (it == freeSpace.end()) return false;
    bytes = it->second;
    return true;
  }
  bool CreateShellLink(const std::string& link, const std::string& target, const std::string& folder) override {
    calls.push_back("CreateShellLink(" + link + "," + target + "," + folder + ")");
    if (realFiles) {
      // A file standing for the link, naming its target and working folder.
      sys::File f = sys::File::Open(link, sys::OpenMode::kCreateTruncate);
      const std::string text = target + "|" + folder;
      return f && f.Write(text.data(), text.size());
    }
    files.insert(link);
    return true;
  }
  void ExecuteShell(WindowHandle owner, const std::string& verb, const std::string& file, const std::string& params,
                    const std::string& folder, int show) override {
    calls.push_back("ExecuteShell(" + std::to_string(owner) + "," + verb + "," + file + "," + params + "," + folder +
                    "," + std::to_string(show) + ")");
  }
  void EnumTopLevelWindows(const std::function<bool(const platform::WindowInfo&)>& visit) override {
    const std::vector<platform::WindowInfo> snapshot = windows;
    for (const auto& w : snapshot) {
      if (!visit(w)) break;
    }
  }
  std::string ProcessImageName(uint32_t pid) override {
    auto it = processImages.find(pid);
    return it == processImages.end() ? std::string() : it->second;
  }
  int ShowMessageBox(const std::string& text, uint32_t flags, bool modal) override {
    messageBoxes.push_back(text + "|" + std::to_string(flags) + "|" + (modal ? "modal" : "direct"));
    calls.push_back("ShowMessageBox");
    if (messageBoxAnswers.empty()) return platform::kIdOk;
    const int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
  }
  void ShowPlainMessage(const std::string& text) override { calls.push_back("ShowPlainMessage(" + text + ")"); }
  void SetRoundRegion(WindowHandle, int w, int h, int cw, int ch) override {
    calls.push_back("SetRoundRegion(" + std::to_string(w) + "x" + std::to_string(h) + "," + std::to_string(cw) +
                    "x" + std::to_string(ch) + ")");
  }
  void SetTopmost(WindowHandle, bool topmost) override { calls.push_back(topmost ? "SetTopmost(on)" : "SetTopmost(off)"); }
  void StartWindowDrag(WindowHandle) override { calls.push_back("StartWindowDrag"); }
  void SendKeyDown(WindowHandle control, uint32_t key) override {
    calls.push_back("SendKeyDown(" + std::to_string(control) + "," + std::to_string(key) + ")");
  }
  void Pause(uint32_t ms) override { calls.push_back("Pause(" + std::to_string(ms) + ")"); }
  void Terminate() override {
    calls.push_back("Terminate");
    terminated = true;
  }
  void ProcessMessages() override {
    if (onProcessMessages) onProcessMessages();
  }
};

class FakeHost : public app::IWizardHost {
 public:
  int closeRequests = 0;
  std::deque<std::string> folderAnswers;  // empty string: Cancel
  std::vector<std::string> folderDialogs;  // "start|title"

  WindowHandle WizardWindow() override { return 1001; }
  WindowHandle ApplicationWindow() override { return 1000; }
  WindowHandle ControlWindow(ui::ControlId control) override { return control == ui::ControlId::Memo1 ? 2002 : 2000; }
  std::string executable;
  std::string ExecutablePath() override { return executable; }
  void RequestClose() override { ++closeRequests; }
  bool PickFolder(const std::string& start, const std::string& title, std::string& folder) override {
    folderDialogs.push_back(start + "|" + title);
    if (folderAnswers.empty() || folderAnswers.front().empty()) {
      if (!folderAnswers.empty()) folderAnswers.pop_front();
      return false;
    }
    folder = folderAnswers.front();
    folderAnswers.pop_front();
    return true;
  }
  int refreshes = 0;
  // With `window` set, each refresh notes what the screen then shows of it.
  const app::TWindowModel* window = nullptr;
  std::string screen;
  void Refresh() override {
    ++refreshes;
    if (window != nullptr) screen = Screen(*window);
  }
  // The parts of the model that the window shows during the flow: place, page, status line, bar.
  static std::string Screen(const app::TWindowModel& w) {
    return std::to_string(w.left) + "," + std::to_string(w.top) + " page " + std::to_string(w.currentPage) +
           (w.hidden ? " hidden" : "") + " [" + w.Control(ui::ControlId::Label11).text + "|" + w.Control(ui::ControlId::lbInfo).text + "] bar " +
           std::to_string(w.Control(ui::ControlId::imgbar).width);
  }
};

}  // namespace velmora::test
