#include "ui/Pixels.h"

#include <algorithm>

namespace velmora::ui {

void DrawKeyed(Pixels& behind, const Pixels& picture, TColor key) {
  const int w = std::min(behind.width, picture.width), h = std::min(behind.height, picture.height);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const TColor p = picture.at(x, y);
      if (!SameColor(p, key)) behind.at(x, y) = p & kRgbMask;
    }
  }
}

}  // namespace velmora::ui
