// The stand-in uninstaller. Started by the setup's maintenance page with the handle of the window
// that waits for it, it removes what install.log (in its own folder) lists, drops the product's
// registry keys and then tells the waiting window it has finished. It asks nothing.
//   Remover.exe HWND      (the handle in decimal digits)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Message and code the waiting window expects when the removal is over.
const UINT kRemoverDone = WM_USER + 350;
const WPARAM kRemoverDoneCode = 100021;

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
const char kUserKey[] = "Software\\Velmora";

bool ParseHandle(const char* text, HWND* wnd) {
  if (!*text) return false;
  unsigned long long value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<unsigned>(*p - '0');
    if (value > 0xFFFFFFFFull) return false;
  }
  *wnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
  return true;
}

std::string Trim(const std::string& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  return s.substr(begin, end - begin);
}

std::string OwnFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

// Relative entries are taken as relative to the product folder, where the log lives.
std::string Resolve(const std::string& folder, const std::string& path) {
  bool absolute = (path.size() >= 2 && path[1] == ':') || path[0] == '\\' || path[0] == '/';
  return FullPath(absolute ? path : folder + path);
}

bool ReadLog(const std::string& logPath, std::string* text) {
  FILE* f = std::fopen(logPath.c_str(), "rb");
  if (!f) return false;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
  std::fclose(f);
  return true;
}

void ParseLog(const std::string& text, std::vector<std::string>* files,
              std::vector<std::string>* dirs) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string path = Trim(line.substr(eq + 1));
    if (path.empty()) continue;
    if (line.compare(0, 4, "File") == 0)
      files->push_back(path);
    else if (line.compare(0, 3, "Dir") == 0)
      dirs->push_back(path);
  }
}

void RemoveFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return;
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) &&
      !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesA(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileA(path.c_str());
  }
}

size_t Depth(const std::string& path) {
  return static_cast<size_t>(std::count_if(path.begin(), path.end(),
                                           [](char c) { return c == '\\' || c == '/'; }));
}

// Fallback for systems without RegDeleteTreeA: subkeys first, then the key.
LONG DeleteTreeRecursive(HKEY root, const std::string& subkey) {
  HKEY key;
  LONG status = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (status != ERROR_SUCCESS) return status;
  char name[256];
  for (;;) {
    DWORD len = sizeof name;
    // Always index 0: each child is gone before the next enumeration.
    if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if (DeleteTreeRecursive(key, name) != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  return RegDeleteKeyA(root, subkey.c_str());
}

void DeleteKeyTree(HKEY root, const char* subkey) {
  using DeleteTreeFn = LONG(WINAPI*)(HKEY, LPCSTR);
  static DeleteTreeFn deleteTree = [] {
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    return advapi ? reinterpret_cast<DeleteTreeFn>(
                        reinterpret_cast<void (*)()>(GetProcAddress(advapi, "RegDeleteTreeA")))
                  : nullptr;
  }();
  if (deleteTree)
    deleteTree(root, subkey);
  else
    DeleteTreeRecursive(root, subkey);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HWND notify;
  if (__argc != 2 || !ParseHandle(__argv[1], &notify)) return 1;

  const std::string folder = OwnFolder();
  const std::string logPath = folder + "install.log";
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string selfPath = FullPath(self);

  std::string log;
  std::vector<std::string> files, dirs;
  if (ReadLog(logPath, &log)) ParseLog(log, &files, &dirs);

  // The running program cannot remove itself; it stays behind in the product folder.
  for (const std::string& entry : files) {
    std::string path = Resolve(folder, entry);
    if (lstrcmpiA(path.c_str(), selfPath.c_str()) != 0) RemoveFile(path);
  }
  // Folders last and deepest first, so that each is empty once its contents are gone; a folder
  // that still holds something (the user's files, this program) stays.
  for (std::string& entry : dirs) entry = Resolve(folder, entry);
  std::stable_sort(dirs.begin(), dirs.end(), [](const std::string& a, const std::string& b) {
    return Depth(a) > Depth(b);
  });
  for (const std::string& dir : dirs) RemoveDirectoryA(dir.c_str());
  RemoveFile(logPath);

  DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);

  PostMessageA(notify, kRemoverDone, kRemoverDoneCode, 0);
  return 0;
}
