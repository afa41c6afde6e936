// Win32 user-interface services: the thread's message queue and the system message box.
#include <windows.h>

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

}  // namespace velmora::sys
