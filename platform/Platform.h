// Every operating-system service the wizard core uses, behind one interface: folders, registry,
// profile files, files, free space, shell links, process start, the window scan, message boxes,
// window shape and order, and the application's message loop. Win32Platform is the real one; the
// native tests use a scriptable double. Texts and paths are in the ANSI code page (936).
// OS-independent: no system header here. The method names avoid those of the Win32 API, which
// its headers turn into macros.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Exception.h"

namespace velmora::platform {

// A window of the system, as a plain number (an HWND on Windows).
using WindowHandle = uintptr_t;

enum class RegistryRoot { kCurrentUser, kLocalMachine };

// Special folders by their system number.
enum class SpecialFolder : int {
  kDesktop = 0,
  kPrograms = 2,
  kPersonal = 5,
  kProgramFiles = 38,
};

// Show modes of a started program.
constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;

// Message-box flags and results the wizard uses.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbYesNoCancel = 0x3;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbRetryCancel = 0x5;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr uint32_t kMbDefButton2 = 0x100;
constexpr uint32_t kMbDefButton3 = 0x200;
constexpr uint32_t kMbTopmost = 0x40000;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// A registry operation failed; every caller of the wizard swallows it.
VELMORA_EXCEPTION(ERegistryException, Exception);

// One top-level window met by the window scan.
struct WindowInfo {
  WindowHandle handle = 0;
  std::string title;      // at most 255 characters
  std::string className;  // at most 255 characters
  uint32_t processId = 0;
};

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // --- Folders: each ends with a backslash; empty when the system cannot tell ---
  virtual std::string TempFolder() = 0;
  virtual std::string SystemFolder() = 0;
  // Through the folder's item-id list (used for Program Files and Personal).
  virtual std::string SpecialFolderByIdList(SpecialFolder folder) = 0;
  // Through the folder-path query of the shell-folder library (used for Desktop and Programs).
  virtual std::string SpecialFolderByPath(SpecialFolder folder) = 0;

  // --- Registry: every failure raises ERegistryException ---
  virtual std::string RegReadString(RegistryRoot root, const std::string& key, const std::string& name) = 0;
  // These create the key when it is missing.
  virtual void RegWriteString(RegistryRoot root, const std::string& key, const std::string& name,
                              const std::string& value) = 0;
  virtual void RegWriteInteger(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) = 0;
  // Deletes the key with all its subkeys.
  virtual void RegRemoveKey(RegistryRoot root, const std::string& key) = 0;

  // --- Profile files: the file and section are created when missing ---
  virtual bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                                  const std::string& value) = 0;

  // --- Files and folders: outcomes, never exceptions ---
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // Overwrites an existing destination.
  virtual bool CopyFileTo(const std::string& from, const std::string& to) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Creates one folder level.
  virtual bool MakeDirectory(const std::string& path) = 0;
  // Removes the folder only when it is empty.
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
  // Total free bytes of the volume holding `path`; false when the system cannot tell.
  virtual bool FreeSpace(const std::string& path, uint64_t& bytes) = 0;

  // --- Shell link: an existing link file is overwritten ---
  virtual bool CreateShellLink(const std::string& linkFile, const std::string& target,
                               const std::string& workingFolder) = 0;

  // --- Process start: returns at once; nothing waits for the process ---
  virtual void ExecuteShell(WindowHandle owner, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& folder, int showMode) = 0;

  // --- Window scan: calls `visit` for each top-level window until it returns false ---
  virtual void EnumTopLevelWindows(const std::function<bool(const WindowInfo&)>& visit) = 0;
  // Full path of the executable of a process; empty when it cannot be had.
  virtual std::string ProcessImageName(uint32_t processId) = 0;

  // --- Messages: owner the application window, caption the application title ---
  // `applicationModal`: the application's modal box, which disables the program's other windows
  // while open and restores the active window afterwards. Returns the button pressed.
  virtual int ShowMessageBox(const std::string& text, uint32_t flags, bool applicationModal) = 0;
  // A modal dialog with the application title, the text and one OK button.
  virtual void ShowPlainMessage(const std::string& text) = 0;

  // --- Window shape, order, drag and keys ---
  virtual void SetRoundRegion(WindowHandle window, int width, int height, int cornerWidth, int cornerHeight) = 0;
  virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
  // The system moves the window with the mouse, as by its caption.
  virtual void StartWindowDrag(WindowHandle window) = 0;
  virtual void SendKeyDown(WindowHandle control, uint32_t virtualKey) = 0;

  // --- Application ---
  // Blocks the thread; no messages are handled meanwhile.
  virtual void Pause(uint32_t milliseconds) = 0;
  // Ends the message loop; returns at once.
  virtual void Terminate() = 0;
  // Dispatches the thread's waiting messages. The wizard core calls it only through
  // TSetupWizard::ProcessMessages, which first brings the window model to the screen.
  virtual void ProcessMessages() = 0;
};

}  // namespace velmora::platform
