// The wizard core's operating-system services on Windows, through the ANSI Win32 API. Only the
// implementation file sees the system headers, so the wizard's own files stay free of its macros.
// Libraries that are not imported up front (the shell-folder library, the process-status library)
// are loaded by their full path in the system folder, never by bare name: a DLL placed beside the
// setup must never be picked up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/Platform.h"

namespace velmora::platform {

class Win32Platform final : public IPlatform {
 public:
  // `applicationTitle` is the caption of every message box; `applicationWindow` tells the owner of
  // the boxes at the time one is shown (no owner while it is empty or yields 0).
  explicit Win32Platform(std::string applicationTitle, std::function<WindowHandle()> applicationWindow = {});

  // A fixed owner window for the boxes, for a caller that creates its main window later.
  void SetApplicationWindow(WindowHandle window);
  void SetApplicationTitle(std::string title) { title_ = std::move(title); }
  // The window layer's own way to let the waiting messages run, with its keyboard handling; until
  // one is set (and once it is cleared), the messages go straight to their windows.
  void SetMessagePump(std::function<void()> runPending) { runPendingMessages_ = std::move(runPending); }

  std::string TempFolder() override;
  std::string SystemFolder() override;
  std::string SpecialFolderByIdList(SpecialFolder folder) override;
  std::string SpecialFolderByPath(SpecialFolder folder) override;

  std::string RegReadString(RegistryRoot root, const std::string& key, const std::string& name) override;
  void RegWriteString(RegistryRoot root, const std::string& key, const std::string& name,
                      const std::string& value) override;
  void RegWriteInteger(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) override;
  void RegRemoveKey(RegistryRoot root, const std::string& key) override;
  // The subkey-by-subkey delete that RegRemoveKey falls back on where the system has no tree
  // delete of its own; public so that it can be proved on systems that do have one.
  void RegRemoveKeyByEnumeration(RegistryRoot root, const std::string& key);

  bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) override;

  bool FileExists(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool CopyFileTo(const std::string& from, const std::string& to) override;
  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool FreeSpace(const std::string& path, uint64_t& bytes) override;

  bool CreateShellLink(const std::string& linkFile, const std::string& target,
                       const std::string& workingFolder) override;

  void ExecuteShell(WindowHandle owner, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& folder, int showMode) override;

  void EnumTopLevelWindows(const std::function<bool(const WindowInfo&)>& visit) override;
  std::string ProcessImageName(uint32_t processId) override;

  int ShowMessageBox(const std::string& text, uint32_t flags, bool applicationModal) override;
  void ShowPlainMessage(const std::string& text) override;

  void SetRoundRegion(WindowHandle window, int width, int height, int cornerWidth, int cornerHeight) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  void StartWindowDrag(WindowHandle window) override;
  void SendKeyDown(WindowHandle control, uint32_t virtualKey) override;

  void Pause(uint32_t milliseconds) override;
  void Terminate() override;
  void ProcessMessages() override;

 private:
  WindowHandle ApplicationWindow() const;

  std::string title_;
  std::function<WindowHandle()> applicationWindow_;
  std::function<void()> runPendingMessages_;
};

}  // namespace velmora::platform
