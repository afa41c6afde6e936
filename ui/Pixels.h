// A small image as plain pixels, and the keyed draw that lays one image over another leaving out a
// key colour. OS-independent: the window layer copies pixels in and out of its bitmaps.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/Colour.h"

namespace velmora::ui {

// Row by row from the top, each pixel a resolved colour (0x00BBGGRR). Comparisons with a colour
// ignore the top byte, so pixels read from a DIB with alpha set still match.
struct Pixels {
  int width = 0, height = 0;
  std::vector<TColor> data;

  Pixels() = default;
  Pixels(int w, int h, TColor fill = 0) : width(w), height(h), data(size_t(w) * size_t(h), fill) {}
  TColor& at(int x, int y) { return data[size_t(y) * size_t(width) + size_t(x)]; }
  TColor at(int x, int y) const { return data[size_t(y) * size_t(width) + size_t(x)]; }
};

// Draws picture onto behind from their top-left corners, leaving out the pixels equal to key; only
// the part both images cover is drawn.
void DrawKeyed(Pixels& behind, const Pixels& picture, TColor key);

}  // namespace velmora::ui
