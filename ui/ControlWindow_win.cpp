// What the windows of the self-drawn controls share.
#include "ui/ControlWindow_win.h"

namespace velmora::ui {

void RegisterControlClass(const char* name, WNDPROC procedure) {
  WNDCLASSA existing;
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
  WNDCLASSA cls = {};
  cls.style = CS_DBLCLKS;
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  cls.lpszClassName = name;
  RegisterClassA(&cls);
}

bool CanTakeFocus(HWND window) {
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
  }
  return true;
}

void TrackPointerLeave(HWND window, bool& armed) {
  if (armed) return;
  TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
  armed = TrackMouseEvent(&track) != FALSE;
}

}  // namespace velmora::ui
