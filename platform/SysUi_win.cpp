// Win32 user-interface services: the thread's message queue and the system message box.
#include <windows.h>
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

bool PickFolder(const std::string& start, std::string& folder) {
  char chosen[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.pszDisplayName = chosen;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStart;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  CoInitialize(nullptr);
  PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
  const bool ok = list != nullptr && SHGetPathFromIDListA(list, chosen);
  if (list != nullptr) CoTaskMemFree(list);
  CoUninitialize();
  if (ok) folder = chosen;
  return ok;
}

}  // namespace velmora::sys
