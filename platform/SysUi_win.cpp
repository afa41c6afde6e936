// Win32 user-interface services: the thread's message queue and the system message box.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include "platform/SysUi.h"

namespace velmora::sys {

void ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the program's own message loop.
      PostQuitMessage(int(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
}

namespace {

int CALLBACK SelectStart(HWND window, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

}  // namespace

bool PickFolder(const std::string& start, std::string& folder, const std::string& title, uintptr_t owner) {
  // The new dialog style hosts shell views that need the calling thread in a single-threaded
  // apartment. The setup puts its user-interface thread there at start-up, so this only adds a
  // balanced reference; a thread already in the multithreaded apartment gets the older dialog.
  const bool apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  char chosen[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = reinterpret_cast<HWND>(owner);
  info.pszDisplayName = chosen;
  info.lpszTitle = title.empty() ? nullptr : title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | (apartment ? BIF_NEWDIALOGSTYLE : 0);
  info.lpfn = SelectStart;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
  const bool ok = list != nullptr && SHGetPathFromIDListA(list, chosen);
  if (list != nullptr) CoTaskMemFree(list);
  if (apartment) CoUninitialize();
  if (ok) folder = chosen;
  return ok;
}

bool PickFile(const std::string& title, const std::string& filter, const std::string& start, std::string& file) {
  // The dialog wants the filter's pairs separated by NUL characters and ended by two.
  std::string pairs = filter;
  for (char& c : pairs) {
    if (c == '|') c = '\0';
  }
  pairs.append(2, '\0');
  char chosen[MAX_PATH] = {};
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = pairs.c_str();
  dialog.lpstrFile = chosen;
  dialog.nMaxFile = sizeof chosen;
  dialog.lpstrInitialDir = start.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&dialog)) return false;
  file = chosen;
  return true;
}

}  // namespace velmora::sys
