// Conversions between UTF-8 and code page 936 through iconv.
#include "Gbk.h"

#include <iconv.h>

#include <cerrno>

namespace velmora::pack {

namespace {

constexpr const char* kCodePage936 = "CP936";

// Converts through one iconv descriptor. On an invalid or unconvertible sequence it either gives up
// or, when `replacement` is set, emits it and skips one input byte.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in, const char* replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  char buffer[256];
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (replacement == nullptr) {
      ok = false;
      break;
    }
    out += replacement;
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  auto gbk = Convert(kCodePage936, "UTF-8", utf8, nullptr);
  if (!gbk) return std::nullopt;
  // iconv maps some characters loosely; a name must survive the way back unchanged.
  auto back = Convert("UTF-8", kCodePage936, *gbk, nullptr);
  if (!back || *back != utf8) return std::nullopt;
  return gbk;
}

std::string GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", kCodePage936, gbk, "?").value_or(std::string(gbk));
}

}  // namespace velmora::pack
