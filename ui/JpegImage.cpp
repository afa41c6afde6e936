// Decoding the page pictures with libjpeg. OS-independent.
#include "ui/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace velmora::ui {

namespace {

// libjpeg's own error handler ends the program; this one returns to the decoder's caller instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OnMessage(j_common_ptr) {}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, TImage& image) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.output_message = OnMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image.width = int(info.output_width);
  image.height = int(info.output_height);
  image.bgr.assign(image.RowBytes() * size_t(image.height), 0);
  std::vector<uint8_t> row(size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    const size_t y = info.output_scanline;
    jpeg_read_scanlines(&info, rows, 1);
    uint8_t* out = image.bgr.data() + y * image.RowBytes();
    for (size_t x = 0; x < info.output_width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace velmora::ui
