// The wizard's one message pump.
#include "ui/MessagePump_win.h"

namespace velmora::ui {

void MessagePump::Dispatch(const MSG& msg) {
  if (preTranslate_ && preTranslate_(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void MessagePump::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void MessagePump::RunPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the program's own loop.
      PostQuitMessage(int(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

}  // namespace velmora::ui
