// A 32-bit top-down image with a memory DC of its own, whose pixels can also be reached directly.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/Pixels.h"

namespace velmora::ui {

class Dib {
 public:
  Dib(HDC like, int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(like, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    dc_ = CreateCompatibleDC(like);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Dib() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  HDC dc() const { return dc_; }
  bool ok() const { return bits_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Row after row from the top, one 0x00RRGGBB value per pixel. Call GdiFlush() before touching
  // them, so that drawing still queued by GDI has landed.
  uint32_t* bits() const { return bits_; }

 private:
  int width_, height_;
  uint32_t* bits_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A bitmap of the program's resources, loaded as a DIB section: copying from a device-dependent
// bitmap costs round trips to the window system for every copy, and the progress pictures are
// copied for every file. Null for id 0 or a missing resource.
inline HBITMAP LoadBitmapResource(int id) {
  return id == 0 ? nullptr
                 : static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0,
                                                   0, LR_CREATEDIBSECTION));
}

// The image's pixels in the given box as colours; outside the image they read as 0.
Pixels ReadPixels(const Dib& image, int x, int y, int w, int h);
// Puts the pixels into the image at (x, y), leaving out what falls outside it.
void WritePixels(Dib& image, int x, int y, const Pixels& pixels);

}  // namespace velmora::ui
