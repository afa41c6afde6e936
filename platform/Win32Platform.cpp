// The wizard core's operating-system services through the ANSI Win32 API (code page 936 texts).
#include "platform/Win32Platform.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "platform/SysUi.h"
#include "platform/SystemLibrary_win.h"

namespace velmora::platform {

namespace {

HWND Window(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

// Appends a backslash unless the path already ends with one. The last character is found by
// characters, not bytes: a code page 936 trail byte may be 0x5C.
std::string WithBackslash(std::string path) {
  if (path.empty()) return path;
  const char* begin = path.c_str();
  const char* last = CharPrevA(begin, begin + path.size());
  if (!(last == begin + path.size() - 1 && *last == '\\')) path += '\\';
  return path;
}

using GetFolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using GetModuleFileNameExFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using DeleteTreeFunction = LONG(WINAPI*)(HKEY, LPCSTR);

constexpr DWORD kFolderPathCurrent = 0;          // the folder's current path, not its default
constexpr DWORD kProcessAllAccess = 0x1F0FFF;    // every right, as systems before Vista know them
constexpr WPARAM kSysCommandDragMove = 0xF012;   // SC_MOVE with the mouse, as by the caption
constexpr UINT kTopmostFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

// --- Registry ---

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Key paths are relative to the root; a leading backslash is allowed and means the same.
std::string SubKey(const std::string& key) {
  return !key.empty() && key.front() == '\\' ? key.substr(1) : key;
}

// Closes a registry key when the scope ends.
class KeyHolder {
 public:
  KeyHolder() = default;
  KeyHolder(const KeyHolder&) = delete;
  KeyHolder& operator=(const KeyHolder&) = delete;
  ~KeyHolder() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

[[noreturn]] void RegistryFailure(const char* what, const std::string& subject) {
  throw ERegistryException(std::string(what) + " \"" + subject + "\"");
}

// Opens (creating it when missing) a key for writing values.
void CreateKey(RegistryRoot root, const std::string& key, KeyHolder& holder) {
  const LONG rc = RegCreateKeyExA(RootKey(root), SubKey(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, holder.Out(), nullptr);
  if (rc != ERROR_SUCCESS) RegistryFailure("Cannot create registry key", key);
}

void SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
  const LONG rc = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (rc != ERROR_SUCCESS) RegistryFailure("Cannot write registry value", name);
}

// Deletes `name` under `parent` after its subkeys, depth first.
LONG DeleteKeyTree(HKEY parent, const std::string& name) {
  std::vector<std::string> children;
  {
    KeyHolder key;
    LONG rc = RegOpenKeyExA(parent, name.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, key.Out());
    if (rc != ERROR_SUCCESS) return rc;
    // All names first: deleting while enumerating would shift the indexes.
    char child[1024];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof child;
      rc = RegEnumKeyExA(key.Get(), index, child, &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) return rc;
      children.emplace_back(child, length);
    }
  }
  const std::string prefix = name + '\\';
  for (const std::string& child : children) {
    const LONG rc = DeleteKeyTree(parent, prefix + child);
    if (rc != ERROR_SUCCESS) return rc;
  }
  return RegDeleteKeyA(parent, name.c_str());
}

// --- Windows ---

struct WindowScan {
  const std::function<bool(const WindowInfo&)>* visit;
  std::exception_ptr error;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
  auto& scan = *reinterpret_cast<WindowScan*>(context);
  // Nothing may unwind through the system's frames: an exception of the visitor ends the scan
  // and is raised again once the system has returned.
  try {
    char text[256];
    WindowInfo info;
    info.handle = reinterpret_cast<WindowHandle>(window);
    int n = GetWindowTextA(window, text, sizeof text);
    info.title.assign(text, n > 0 ? n : 0);
    n = GetClassNameA(window, text, sizeof text);
    info.className.assign(text, n > 0 ? n : 0);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    info.processId = processId;
    return (*scan.visit)(info) ? TRUE : FALSE;
  } catch (...) {
    scan.error = std::current_exception();
    return FALSE;
  }
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM context) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  }
  return TRUE;
}

}  // namespace

Win32Platform::Win32Platform(std::string applicationTitle, std::function<WindowHandle()> applicationWindow)
    : title_(std::move(applicationTitle)), applicationWindow_(std::move(applicationWindow)) {}

void Win32Platform::SetApplicationWindow(WindowHandle window) {
  applicationWindow_ = [window] { return window; };
}

WindowHandle Win32Platform::ApplicationWindow() const { return applicationWindow_ ? applicationWindow_() : 0; }

// --- Folders ---

std::string Win32Platform::TempFolder() {
  char path[260];
  const DWORD n = GetTempPathA(sizeof path, path);
  if (n == 0 || n >= sizeof path) return std::string();
  return WithBackslash(std::string(path, n));
}

std::string Win32Platform::SystemFolder() {
  char path[256];
  const UINT n = GetSystemDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path) return std::string();
  return WithBackslash(std::string(path, n));
}

std::string Win32Platform::SpecialFolderByIdList(SpecialFolder folder) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, static_cast<int>(folder), &list)) || list == nullptr) {
    return std::string();
  }
  char path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(list, path) != FALSE;
  CoTaskMemFree(list);
  return ok && path[0] != '\0' ? WithBackslash(path) : std::string();
}

std::string Win32Platform::SpecialFolderByPath(SpecialFolder folder) {
  static const auto getFolderPath = SystemLibraryFunction<GetFolderPathFunction>("SHFolder.dll", "SHGetFolderPathA");
  if (getFolderPath == nullptr) return std::string();
  char path[MAX_PATH] = {};
  if (getFolderPath(nullptr, static_cast<int>(folder), nullptr, kFolderPathCurrent, path) != S_OK) {
    return std::string();
  }
  return path[0] != '\0' ? WithBackslash(path) : std::string();
}

// --- Registry ---

std::string Win32Platform::RegReadString(RegistryRoot root, const std::string& key, const std::string& name) {
  KeyHolder holder;
  if (RegOpenKeyExA(RootKey(root), SubKey(key).c_str(), 0, KEY_READ, holder.Out()) != ERROR_SUCCESS) {
    RegistryFailure("Cannot open registry key", key);
  }
  std::string data(64, '\0');
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = RegQueryValueExA(holder.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                                     &size);
    if (rc == ERROR_MORE_DATA) {
      data.assign(size + 1, '\0');
      continue;
    }
    if (rc != ERROR_SUCCESS) RegistryFailure("Cannot read registry value", name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) RegistryFailure("Registry value is not a string", name);
    // The stored terminator, when there is one, is not part of the text.
    data.resize(size);
    data.resize(std::strlen(data.c_str()));
    return data;
  }
}

void Win32Platform::RegWriteString(RegistryRoot root, const std::string& key, const std::string& name,
                                   const std::string& value) {
  KeyHolder holder;
  CreateKey(root, key, holder);
  SetValue(holder.Get(), name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void Win32Platform::RegWriteInteger(RegistryRoot root, const std::string& key, const std::string& name,
                                    uint32_t value) {
  KeyHolder holder;
  CreateKey(root, key, holder);
  const DWORD data = value;
  SetValue(holder.Get(), name, REG_DWORD, &data, sizeof data);
}

void Win32Platform::RegRemoveKey(RegistryRoot root, const std::string& key) {
  // The system's own tree delete exists from Vista on; the library is mapped in every process.
  static const auto deleteTree = [] {
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    FARPROC address = advapi != nullptr ? GetProcAddress(advapi, "RegDeleteTreeA") : nullptr;
    return reinterpret_cast<DeleteTreeFunction>(reinterpret_cast<void (*)()>(address));
  }();
  if (deleteTree == nullptr) {
    RegRemoveKeyByEnumeration(root, key);
    return;
  }
  const std::string subKey = SubKey(key);
  // An empty name would empty the root itself.
  if (subKey.empty() || deleteTree(RootKey(root), subKey.c_str()) != ERROR_SUCCESS) {
    RegistryFailure("Cannot delete registry key", key);
  }
}

void Win32Platform::RegRemoveKeyByEnumeration(RegistryRoot root, const std::string& key) {
  const std::string subKey = SubKey(key);
  if (subKey.empty() || DeleteKeyTree(RootKey(root), subKey) != ERROR_SUCCESS) {
    RegistryFailure("Cannot delete registry key", key);
  }
}

// --- Profile files ---

bool Win32Platform::WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

// --- Files and folders ---

bool Win32Platform::FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Platform::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32Platform::SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32Platform::CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool Win32Platform::DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Platform::RemoveEmptyDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

bool Win32Platform::FreeSpace(const std::string& path, uint64_t& bytes) {
  ULARGE_INTEGER available;
  ULARGE_INTEGER total;
  ULARGE_INTEGER free;
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free)) return false;
  bytes = free.QuadPart;
  return true;
}

// --- Shell link ---

bool Win32Platform::CreateShellLink(const std::string& linkFile, const std::string& target,
                                    const std::string& workingFolder) {
  // The file name the link is saved under, in UTF-16 as the persistence interface wants it.
  const int length = MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::vector<wchar_t> wideName(static_cast<size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wideName.data(), length);

  // Balanced: COM is released only when this call initialised (or re-entered) it.
  const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
  bool saved = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(wideName.data(), TRUE));
      file->Release();
    }
    link->Release();
  }
  if (comStarted) CoUninitialize();
  return saved;
}

// --- Process start ---

void Win32Platform::ExecuteShell(WindowHandle owner, const std::string& verb, const std::string& file,
                                 const std::string& parameters, const std::string& folder, int showMode) {
  // The outcome is not reported: a program that does not start is not the setup's failure.
  ShellExecuteA(Window(owner), verb.empty() ? nullptr : verb.c_str(), file.c_str(), parameters.c_str(),
                folder.c_str(), showMode);
}

// --- Window scan ---

void Win32Platform::EnumTopLevelWindows(const std::function<bool(const WindowInfo&)>& visit) {
  WindowScan scan{&visit, nullptr};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&scan));
  if (scan.error) std::rethrow_exception(scan.error);
}

std::string Win32Platform::ProcessImageName(uint32_t processId) {
  static const auto getModuleFileNameEx =
      SystemLibraryFunction<GetModuleFileNameExFunction>("PSAPI.dll", "GetModuleFileNameExA");
  if (getModuleFileNameEx == nullptr) return std::string();
  HANDLE process = OpenProcess(kProcessAllAccess, FALSE, processId);
  if (process == nullptr) return std::string();
  char path[261];
  const DWORD n = getModuleFileNameEx(process, nullptr, path, sizeof path);
  CloseHandle(process);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

// --- Messages ---

int Win32Platform::ShowMessageBox(const std::string& text, uint32_t flags, bool applicationModal) {
  const HWND owner = Window(ApplicationWindow());
  if (!applicationModal) return MessageBoxA(owner, text.c_str(), title_.c_str(), flags);

  // The box is modal for the whole program: its other windows take no input while it is open.
  const HWND active = GetActiveWindow();
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  for (HWND window : disabled) EnableWindow(window, FALSE);
  const int button = MessageBoxA(owner, text.c_str(), title_.c_str(), flags);
  for (HWND window : disabled) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
  return button;
}

void Win32Platform::ShowPlainMessage(const std::string& text) {
  MessageBoxA(Window(ApplicationWindow()), text.c_str(), title_.c_str(), MB_OK);
}

// --- Window shape, order, drag and keys ---

void Win32Platform::SetRoundRegion(WindowHandle window, int width, int height, int cornerWidth, int cornerHeight) {
  HRGN region = CreateRoundRectRgn(0, 0, width, height, cornerWidth, cornerHeight);
  if (region == nullptr) return;
  // The window owns the region once it is set; otherwise it is still ours to free.
  if (!SetWindowRgn(Window(window), region, TRUE)) DeleteObject(region);
}

void Win32Platform::SetTopmost(WindowHandle window, bool topmost) {
  SetWindowPos(Window(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kTopmostFlags);
}

void Win32Platform::StartWindowDrag(WindowHandle window) {
  ReleaseCapture();
  SendMessageA(Window(window), WM_SYSCOMMAND, kSysCommandDragMove, 0);
}

void Win32Platform::SendKeyDown(WindowHandle control, uint32_t virtualKey) {
  SendMessageA(Window(control), WM_KEYDOWN, virtualKey, 0);
}

// --- Application ---

void Win32Platform::Pause(uint32_t milliseconds) { Sleep(milliseconds); }

void Win32Platform::Terminate() { PostQuitMessage(0); }

void Win32Platform::ProcessMessages() {
  if (runPendingMessages_) {
    runPendingMessages_();
  } else {
    sys::ProcessPendingMessages();
  }
}

}  // namespace velmora::platform
