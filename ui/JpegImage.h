// Decoding the page pictures: baseline JPEG in memory to 24-bit pixels. OS-independent; libjpeg
// (API 62) underneath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::ui {

struct TImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgr;  // rows top-down, 3 bytes a pixel (blue, green, red), each row padded to 4 bytes
  size_t RowBytes() const { return (size_t(width) * 3 + 3) & ~size_t(3); }
};

// False for data that is not a JPEG the library can decode; never throws and never ends the program.
bool DecodeJpeg(const uint8_t* data, size_t size, TImage& image);

}  // namespace velmora::ui
