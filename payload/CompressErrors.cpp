// Exceptions of the payload decompressor. OS-independent.
#include "payload/CompressErrors.h"

#include <cstdio>

namespace velmora::payload {

namespace {

std::string FormatCode(const char* format, int code) {
  char text[128];
  std::snprintf(text, sizeof text, format, code);
  return text;
}

}  // namespace

ECompressDataError::ECompressDataError(int code)
    : ECompressError(FormatCode("lzma: 压缩数据已损坏 (%d)", code)), code_(code) {}

ECompressInternalError::ECompressInternalError(int status)
    : ECompressError(std::string("lzma: ") + FormatCode("LzmaDecode 失败 (%d)", status)), status_(status) {}

}  // namespace velmora::payload
