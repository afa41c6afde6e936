// What the windows of the self-drawn controls share: their class, the object behind each window,
// the focus rule, painting at once and following the pointer.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace velmora::ui {

// Registers a class of self-drawn controls (double clicks, arrow cursor) unless it exists.
void RegisterControlClass(const char* name, WNDPROC procedure);

// Whether the window and all its parents are visible and enabled, so that it can take the focus.
bool CanTakeFocus(HWND window);

// Paints the window now rather than at the next WM_PAINT: `paint(dc)` on its DC, then nothing is
// left to paint. Hidden windows are left alone.
template <typename Paint>
void PaintNow(HWND window, Paint paint) {
  if (!IsWindowVisible(window)) return;
  HDC dc = GetDC(window);
  paint(dc);
  ReleaseDC(window, dc);
  ValidateRect(window, nullptr);
}

// Asks for WM_MOUSELEAVE once per stay of the pointer; `armed` remembers the request and is
// cleared by the caller on WM_MOUSELEAVE.
void TrackPointerLeave(HWND window, bool& armed);

// The window procedure of a class whose windows each own one Control: made at WM_NCCREATE as
// Control(window, *setup) from the Setup passed to CreateWindowEx, deleted at WM_NCDESTROY. Every
// message in between goes to Control::Handle.
template <typename Control, typename Setup>
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    const auto* setup = static_cast<const Setup*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    control = new Control(window, *setup);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  }
  if (control == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete control;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return control->Handle(message, wParam, lParam);
}

// The Control of a window whose class is one of `classes`, or null.
template <typename Control>
Control* ControlOf(HWND window, std::initializer_list<const char*> classes) {
  char name[64];
  if (window == nullptr || GetClassNameA(window, name, sizeof name) == 0) return nullptr;
  for (const char* cls : classes) {
    if (lstrcmpA(name, cls) == 0) return reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  return nullptr;
}

}  // namespace velmora::ui
