// Flat edit frames: the non-client area is widened to the frame's pixels and painted by hand.
#include "ui/EditFrame_win.h"

#include <commctrl.h>

namespace velmora::ui {
namespace {

constexpr UINT_PTR kSubclassId = 0x45444652;  // 'EDFR'

struct Frame {
  EditFrameStyle style;
  bool pointerOver = false;
  bool tracking = false;
};

bool PointerInside(HWND edit) {
  POINT at;
  RECT box;
  return GetCursorPos(&at) && GetWindowRect(edit, &box) && PtInRect(&box, at);
}

void PaintFrame(HWND edit, const Frame& frame) {
  HDC dc = GetWindowDC(edit);
  if (dc == nullptr) return;
  RECT box;
  GetWindowRect(edit, &box);
  OffsetRect(&box, -box.left, -box.top);
  const bool hot = frame.style.hotTrack && (frame.pointerOver || GetFocus() == edit);
  HBRUSH line = CreateSolidBrush(hot ? frame.style.hotColour : frame.style.colour);
  FrameRect(dc, &box, line);
  DeleteObject(line);
  if (frame.style.width > 1) {
    InflateRect(&box, -1, -1);
    FrameRect(dc, &box, GetSysColorBrush(IsWindowEnabled(edit) ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  ReleaseDC(edit, dc);
}

void Redraw(HWND edit) { RedrawWindow(edit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

LRESULT CALLBACK FrameProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  Frame& frame = *reinterpret_cast<Frame*>(data);
  switch (message) {
    case WM_NCCALCSIZE: {
      const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
      RECT* client = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      InflateRect(client, -frame.style.width, -frame.style.width);
      return result;
    }
    case WM_NCPAINT: {
      const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
      PaintFrame(edit, frame);
      return result;
    }
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      if (!frame.tracking) {
        TRACKMOUSEEVENT track = {sizeof track, DWORD(TME_LEAVE | (message == WM_NCMOUSEMOVE ? TME_NONCLIENT : 0)), edit, 0};
        frame.tracking = TrackMouseEvent(&track) != FALSE;
      }
      if (!frame.pointerOver) {
        frame.pointerOver = true;
        if (frame.style.hotTrack) Redraw(edit);
      }
      break;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
      // Passing between the text and the frame leaves one area for the other: the next move re-arms.
      frame.tracking = false;
      if (frame.pointerOver && !PointerInside(edit)) {
        frame.pointerOver = false;
        if (frame.style.hotTrack) Redraw(edit);
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: {
      const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
      Redraw(edit);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, FrameProc, kSubclassId);
      delete &frame;
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void AttachEditFrame(HWND edit, const EditFrameStyle& style) {
  auto* frame = new Frame{style};
  if (!SetWindowSubclass(edit, FrameProc, kSubclassId, reinterpret_cast<DWORD_PTR>(frame))) {
    delete frame;
    return;
  }
  // The non-client area changes size: let the edit compute it anew.
  SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmora::ui
