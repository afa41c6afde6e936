#include "ui/Dib_win.h"

namespace velmora::ui {

Pixels ReadPixels(const Dib& image, int x, int y, int w, int h) {
  GdiFlush();
  Pixels out(w, h);
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const bool inside = x + i >= 0 && y + j >= 0 && x + i < image.width() && y + j < image.height();
      out.at(i, j) =
          inside ? SwapRedBlue(image.bits()[size_t(y + j) * size_t(image.width()) + size_t(x + i)]) : 0;
    }
  }
  return out;
}

void WritePixels(Dib& image, int x, int y, const Pixels& pixels) {
  GdiFlush();
  for (int j = 0; j < pixels.height; ++j) {
    for (int i = 0; i < pixels.width; ++i) {
      if (x + i < 0 || y + j < 0 || x + i >= image.width() || y + j >= image.height()) continue;
      image.bits()[size_t(y + j) * size_t(image.width()) + size_t(x + i)] = SwapRedBlue(pixels.at(i, j));
    }
  }
}

}  // namespace velmora::ui
