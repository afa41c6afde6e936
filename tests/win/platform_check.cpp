// Console check program for Windows: runs the wizard core's system interface against the real
// system (under Wine in the tests) and prints one PASS or FAIL line per check; exit code 0 only if
// every check passed. Message boxes are closed by a timer of this thread, so nothing waits for a
// person. Texts are code page 936, as the wizard's are.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/SetupStart_win.h"
#include "platform/SysUi.h"
#include "platform/Win32Platform.h"

using velmora::platform::ERegistryException;
using velmora::platform::RegistryRoot;
using velmora::platform::SpecialFolder;
using velmora::platform::Win32Platform;
using velmora::platform::WindowHandle;
using velmora::platform::WindowInfo;
namespace plat = velmora::platform;

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  if (!ok) ++failures;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

bool WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

std::string ReadText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

std::string OwnPath() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

// Deletes the files of a folder (one level) and then the folder.
void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      const std::string path = folder + found.cFileName;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// --- Folders ---

void CheckFolders(Win32Platform& platform) {
  const struct {
    const char* name;
    std::string path;
  } folders[] = {
      {"temporary folder", platform.TempFolder()},
      {"system folder", platform.SystemFolder()},
      {"program files folder (item-id list)", platform.SpecialFolderByIdList(SpecialFolder::kProgramFiles)},
      {"personal folder (item-id list)", platform.SpecialFolderByIdList(SpecialFolder::kPersonal)},
      {"desktop folder (folder-path query)", platform.SpecialFolderByPath(SpecialFolder::kDesktop)},
      {"programs folder (folder-path query)", platform.SpecialFolderByPath(SpecialFolder::kPrograms)},
  };
  for (const auto& folder : folders) {
    Check(folder.path.size() > 3 && EndsWith(folder.path, "\\") && platform.DirectoryExists(folder.path),
          std::string(folder.name) + ": " + folder.path);
  }
}

// --- Registry ---

const char kScratchKey[] = "Software\\VelmoraPlatformCheck";

bool KeyExists(const std::string& key) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

template <typename Action>
bool RaisesRegistryError(Action action) {
  try {
    action();
  } catch (const ERegistryException&) {
    return true;
  }
  return false;
}

void CheckRegistry(Win32Platform& platform) {
  const RegistryRoot user = RegistryRoot::kCurrentUser;
  const std::string key = kScratchKey;
  const std::string settings = key + "\\设置";
  try {
    platform.RegRemoveKey(user, key);  // left over by an interrupted run
  } catch (const ERegistryException&) {
  }

  try {
    platform.RegWriteString(user, settings, "安装目录", "C:\\维尔莫拉\\");
    Check(platform.RegReadString(user, settings, "安装目录") == "C:\\维尔莫拉\\",
          "registry: string written (key created) and read back");
    const std::string longText(300, 'x');
    platform.RegWriteString(user, settings, "Long", longText);
    platform.RegWriteString(user, settings, "", "");
    Check(platform.RegReadString(user, settings, "Long") == longText && platform.RegReadString(user, settings, "").empty(),
          "registry: long and empty strings read back");

    platform.RegWriteInteger(user, "\\" + settings, "版本", 0x89ABCDEFu);
    HKEY handle;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    bool integerOk = RegOpenKeyExA(HKEY_CURRENT_USER, settings.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS;
    if (integerOk) {
      integerOk = RegQueryValueExA(handle, "版本", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                      ERROR_SUCCESS &&
                  type == REG_DWORD && value == 0x89ABCDEFu;
      RegCloseKey(handle);
    }
    Check(integerOk, "registry: integer written as REG_DWORD (leading backslash accepted)");

    platform.RegWriteString(user, key + "\\A\\B\\C", "x", "y");
    Check(platform.RegReadString(user, key + "\\A\\B\\C", "x") == "y", "registry: nested keys created on write");
  } catch (const ERegistryException& e) {
    Check(false, std::string("registry: unexpected error: ") + e.what());
  }

  Check(RaisesRegistryError([&] { platform.RegReadString(user, settings, "missing"); }),
        "registry: reading a missing value raises ERegistryException");
  Check(RaisesRegistryError([&] { platform.RegReadString(user, key + "\\missing", "x"); }),
        "registry: reading from a missing key raises ERegistryException");
  Check(RaisesRegistryError([&] { platform.RegReadString(user, settings, "版本"); }),
        "registry: reading an integer as a string raises ERegistryException");

  bool removed = !RaisesRegistryError([&] { platform.RegRemoveKey(user, key); });
  Check(removed && !KeyExists(key), "registry: key removed with its subkeys");
  Check(RaisesRegistryError([&] { platform.RegRemoveKey(user, key); }),
        "registry: removing a missing key raises ERegistryException");

  // The fallback for systems without the system's tree delete.
  removed = !RaisesRegistryError([&] {
    platform.RegWriteString(user, key + "\\甲\\乙\\丙", "x", "y");
    platform.RegWriteString(user, key + "\\甲\\丁", "x", "y");
    platform.RegWriteInteger(user, key + "\\戊", "x", 1);
    platform.RegRemoveKeyByEnumeration(user, key);
  });
  Check(removed && !KeyExists(key), "registry: key removed with its subkeys by enumeration");
  Check(RaisesRegistryError([&] { platform.RegRemoveKeyByEnumeration(user, key); }),
        "registry: removing a missing key by enumeration raises ERegistryException");
}

// --- Profile file ---

void CheckIniFile(Win32Platform& platform, const std::string& scratch) {
  const std::string file = scratch + "设置.ini";
  const bool written = platform.WriteIniString(file, "安装", "目录", "C:\\维尔莫拉") &&
                       platform.WriteIniString(file, "Other", "Key", "Value");
  char value[256] = {};
  GetPrivateProfileStringA("安装", "目录", "", value, sizeof value, file.c_str());
  const std::string text = ReadText(file);
  Check(written && platform.FileExists(file) && std::strcmp(value, "C:\\维尔莫拉") == 0 &&
            text.find("[安装]") != std::string::npos && text.find("[Other]") != std::string::npos,
        "ini: file and sections created, value read back");
}

// --- Files and folders ---

void CheckFiles(Win32Platform& platform, const std::string& scratch) {
  const std::string from = scratch + "甲.txt";
  const std::string to = scratch + "乙.txt";
  Check(WriteText(from, "one") && platform.FileExists(from) && !platform.FileExists(to) &&
            !platform.FileExists(scratch) && platform.DirectoryExists(scratch) && !platform.DirectoryExists(from),
        "files: exists tells files from folders and missing names");
  Check(platform.CopyFileTo(from, to) && ReadText(to) == "one", "files: copied");
  Check(WriteText(from, "two, longer") && platform.CopyFileTo(from, to) && ReadText(to) == "two, longer",
        "files: copy overwrites the destination");
  Check(!platform.CopyFileTo(scratch + "missing.txt", to) && ReadText(to) == "two, longer",
        "files: copy of a missing file fails");

  const DWORD hiddenReadOnly = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  Check(platform.SetAttributes(to, hiddenReadOnly) && (GetFileAttributesA(to.c_str()) & hiddenReadOnly) == hiddenReadOnly,
        "files: attributes set");
  Check(!platform.RemoveFile(to) && platform.FileExists(to), "files: a read-only file is not deleted");
  Check(platform.SetAttributes(to, FILE_ATTRIBUTE_NORMAL) && platform.RemoveFile(to) && !platform.FileExists(to),
        "files: deleted once writable");
  Check(!platform.RemoveFile(to), "files: deleting a missing file fails");

  const std::string folder = scratch + "目录";
  Check(platform.MakeDirectory(folder) && platform.DirectoryExists(folder) && !platform.MakeDirectory(folder),
        "folders: one level created, an existing one is not");
  Check(!platform.MakeDirectory(scratch + "无\\有") && !platform.DirectoryExists(scratch + "无"),
        "folders: two levels at once are not created");
  const std::string inside = folder + "\\文件.txt";
  Check(WriteText(inside, "x") && !platform.RemoveEmptyDirectory(folder) && platform.DirectoryExists(folder),
        "folders: a folder with a file is not removed");
  Check(platform.RemoveFile(inside) && platform.RemoveEmptyDirectory(folder) && !platform.DirectoryExists(folder),
        "folders: an empty folder is removed");

  uint64_t bytes = 0;
  const bool told = platform.FreeSpace(scratch, bytes);
  Check(told && bytes > 0, "free space: " + std::to_string(bytes) + " bytes");
}

// --- Shell link ---

// The working folder stored in a link file, read back through the shell's own link object.
std::string LinkWorkingFolder(const std::string& linkFile) {
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
  std::string folder;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      char text[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) {
        folder = text;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return folder;
}

void CheckShellLink(Win32Platform& platform, const std::string& scratch) {
  const std::string link = scratch + "维尔莫拉.lnk";
  const std::string target = OwnPath();
  Check(platform.CreateShellLink(link, target, "C:\\") && platform.FileExists(link) &&
            LinkWorkingFolder(link) == "C:\\",
        "shell link: written");
  Check(platform.CreateShellLink(link, target, scratch) && platform.FileExists(link) &&
            LinkWorkingFolder(link) == scratch,
        "shell link: written again over the first");
}

// --- Windows and the message loop ---

const char kWindowClass[] = "VelmoraPlatformCheckWindow";
const char kWindowTitle[] = "维尔莫拉 平台检查";

int appMessages = 0;
WPARAM lastKeyDown = 0;

LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    ++appMessages;
    return 0;
  }
  if (message == WM_KEYDOWN) {
    lastKeyDown = wParam;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* title, bool visible) {
  HWND window = CreateWindowExA(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 50, 50,
                                300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (visible) UpdateWindow(window);
  return window;
}

void CheckWindowScan(Win32Platform& platform, HWND window) {
  WindowInfo mine;
  int visited = 0;
  platform.EnumTopLevelWindows([&](const WindowInfo& info) {
    ++visited;
    if (info.handle != Handle(window)) return true;
    mine = info;
    return false;
  });
  Check(mine.handle == Handle(window) && mine.title == kWindowTitle && mine.className == kWindowClass &&
            mine.processId == GetCurrentProcessId(),
        "window scan: own window found with its title, class and process");
  const std::string image = platform.ProcessImageName(mine.processId);
  Check(EndsWithNoCase(image, "\\platform-check.exe"), "process image name: " + image);
  Check(platform.ProcessImageName(0x7FFFFFF0u).empty(), "process image name: empty for a missing process");

  int calls = 0;
  platform.EnumTopLevelWindows([&](const WindowInfo&) {
    ++calls;
    return false;
  });
  Check(calls == 1 && visited >= 1, "window scan: stops when the visitor says so");

  bool raised = false;
  try {
    platform.EnumTopLevelWindows([](const WindowInfo&) -> bool { throw std::runtime_error("stop"); });
  } catch (const std::runtime_error&) {
    raised = true;
  }
  Check(raised, "window scan: the visitor's exception reaches the caller");
}

void CheckWindowServices(Win32Platform& platform, HWND window) {
  platform.SetRoundRegion(Handle(window), 200, 100, 20, 20);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box = {};
  const int kind = GetWindowRgn(window, region);
  GetRgnBox(region, &box);
  DeleteObject(region);
  Check(kind == COMPLEXREGION && box.left == 0 && box.top == 0 && box.right >= 199 && box.right <= 200 &&
            box.bottom >= 99 && box.bottom <= 100,
        "round region set on the window");

  platform.SetTopmost(Handle(window), true);
  const bool topmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  platform.SetTopmost(Handle(window), false);
  Check(topmost && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0, "topmost set and cleared");

  platform.SendKeyDown(Handle(window), VK_RETURN);
  Check(lastKeyDown == VK_RETURN, "key down sent to the control");

  // Messages before the quit are handled; the quit itself stays for the program's loop.
  PostMessageA(window, WM_APP + 1, 0, 0);
  PostMessageA(window, WM_APP + 1, 0, 0);
  platform.Terminate();
  platform.ProcessMessages();
  MSG msg;
  const bool quitLeft = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  Check(appMessages == 2 && quitLeft, "messages processed, quit left in the queue");
}

// --- Message boxes, closed by a timer ---

struct BoxProbe {
  int answer = IDOK;
  std::vector<HWND> watched;  // windows whose enabled state is recorded while the box is open
  std::vector<bool> enabled;
  HWND owner = nullptr;
  std::string caption;
  std::string text;
  bool seen = false;
} probe;

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  char name[64];
  if (GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK CloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not shown yet
  KillTimer(nullptr, timer);
  probe.seen = true;
  probe.owner = GetWindow(box, GW_OWNER);
  char text[256] = {};
  GetWindowTextA(box, text, sizeof text);
  probe.caption = text;
  text[0] = '\0';
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the static text of the box
  probe.text = text;
  probe.enabled.clear();
  for (HWND window : probe.watched) probe.enabled.push_back(IsWindowEnabled(window) != FALSE);
  PostMessageA(box, WM_COMMAND, probe.answer, 0);
}

void StartProbe(int answer) {
  probe.answer = answer;
  probe.seen = false;
  probe.owner = nullptr;
  probe.caption.clear();
  probe.text.clear();
  SetTimer(nullptr, 0, 100, CloseBox);
}

void CheckMessageBoxes(Win32Platform& platform, HWND app, const std::string& title) {
  HWND other = MakeWindow("其他窗口", true);
  HWND disabled = MakeWindow("已禁用", true);
  HWND hidden = MakeWindow("隐藏", false);
  EnableWindow(disabled, FALSE);
  ShowWindow(app, SW_SHOW);
  platform.SetApplicationWindow(Handle(app));
  probe.watched = {app, other, disabled, hidden};
  SetActiveWindow(other);
  const HWND activeBefore = GetActiveWindow();

  StartProbe(IDNO);
  int button = platform.ShowMessageBox("继续吗？", plat::kMbYesNo | plat::kMbIconQuestion, true);
  Check(button == plat::kIdNo && probe.seen && probe.owner == app && probe.caption == title && probe.text == "继续吗？",
        "application-modal box: owner, caption, text and button");
  Check(probe.enabled.size() == 4 && !probe.enabled[0] && !probe.enabled[1] && !probe.enabled[2] && probe.enabled[3],
        "application-modal box: visible windows of the program disabled while open");
  Check(IsWindowEnabled(app) && IsWindowEnabled(other) && !IsWindowEnabled(disabled) && IsWindowEnabled(hidden),
        "application-modal box: windows enabled again afterwards, a disabled one stays so");
  Check(activeBefore == other && GetActiveWindow() == other, "application-modal box: active window restored");

  StartProbe(IDCANCEL);
  button = platform.ShowMessageBox("取消", plat::kMbOkCancel, false);
  Check(button == plat::kIdCancel && probe.seen && probe.owner == app && probe.enabled.size() == 4 &&
            probe.enabled[1] && IsWindowEnabled(other),
        "owned box: only the owner is disabled");

  StartProbe(IDOK);
  platform.ShowPlainMessage("完成");
  Check(probe.seen && probe.owner == app && probe.caption == title && probe.text == "完成", "plain message");

  DestroyWindow(other);
  DestroyWindow(disabled);
  DestroyWindow(hidden);
}

// --- Start-up and the folder picker ---

// The setup's start-up leaves its user-interface thread in a single-threaded apartment, which the
// folder picker's new dialog style needs; the picker opens at its start folder, owned by the window.
// The start folder lies in no hidden folder, since the picker's tree does not show those.
void CheckApartmentAndFolderPicker(bool prepared, HWND owner, const std::string& start) {
  APTTYPE type = APTTYPE_MTA;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  const bool known = SUCCEEDED(CoGetApartmentType(&type, &qualifier));
  Check(prepared && known && (type == APTTYPE_STA || type == APTTYPE_MAINSTA),
        "start-up: the user-interface thread is in a single-threaded apartment");
  const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Check(again == RPC_E_CHANGED_MODE, "start-up: the thread cannot be moved to the multithreaded apartment");
  if (SUCCEEDED(again)) CoUninitialize();

  StartProbe(IDOK);
  std::string chosen;
  const bool ok = velmora::sys::PickFolder(start, chosen, "请选择程序安装目录:", reinterpret_cast<uintptr_t>(owner));
  Check(ok && probe.seen && probe.owner == owner && lstrcmpiA(chosen.c_str(), start.c_str()) == 0,
        "folder picker: opens at its start folder, owned by the window, and OK returns it (" + chosen + ")");
  Check(SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA),
        "folder picker: the thread stays in its apartment afterwards");
}

// --- Process start ---

void CheckExecuteShell(Win32Platform& platform, const std::string& scratch) {
  const std::string out = scratch + "echo.txt";
  platform.ExecuteShell(0, "", "cmd.exe", "/c echo x> \"" + out + "\"", scratch, plat::kShowHide);
  bool created = false;
  for (int i = 0; i < 100 && !created; ++i) {
    Sleep(100);
    created = platform.FileExists(out) && ReadText(out).find('x') != std::string::npos;
  }
  Check(created, "shell execute: the started command wrote its file");
  Sleep(200);  // let the command close its file before the folder is cleaned
}

}  // namespace

int main() {
  const bool prepared = velmora::app::PrepareSetupProcess();
  const std::string title = "维尔莫拉 安装向导";
  Win32Platform platform(title);

  CheckFolders(platform);
  const std::string scratch = platform.TempFolder() + "velmora-platform-check-" + std::to_string(GetCurrentProcessId()) + "\\";
  if (!CreateDirectoryA(scratch.c_str(), nullptr)) {
    std::printf("FAIL cannot create %s\n", scratch.c_str());
    return 1;
  }

  CheckRegistry(platform);
  CheckIniFile(platform, scratch);
  CheckFiles(platform, scratch);
  CheckShellLink(platform, scratch);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CheckWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kWindowClass;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  RegisterClassA(&windowClass);
  HWND window = MakeWindow(kWindowTitle, false);
  Check(window != nullptr, "check window created");
  if (window != nullptr) {
    CheckWindowScan(platform, window);
    CheckWindowServices(platform, window);
    CheckMessageBoxes(platform, window, title);
    const std::string system = platform.SystemFolder();
    CheckApartmentAndFolderPicker(prepared, window, system.substr(0, system.size() - 1));
    DestroyWindow(window);
  }

  CheckExecuteShell(platform, scratch);
  RemoveFolder(scratch);

  std::printf("%s: %d check(s) failed\n", failures == 0 ? "PASS" : "FAIL", failures);
  return failures == 0 ? 0 : 1;
}
