// Code pages on POSIX through iconv: OEM and ANSI are both code page 936.
#include <iconv.h>

#include <cerrno>
#include <optional>

#include "platform/PosixPath.h"
#include "platform/SysText.h"

namespace velmora::sys {

namespace {

constexpr const char* kCodePage936 = "CP936";

// Converts `in`; on a sequence the target lacks or the source does not hold, gives up unless
// `replacement` is set, in which case it is emitted and one input byte skipped.
std::optional<std::string> Convert(const char* to, const char* from, const std::string& in, const char* replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  char buffer[512];
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
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

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool IsAnsiLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool OemToAnsi(const std::string& oem, std::string& ansi) {
  ansi = oem;  // the same code page on both sides
  return true;
}

bool AnsiToOem(const std::string& ansi, std::string& oem) {
  oem = ansi;
  return true;
}

std::string Utf8ToAnsi(const std::string& utf8) {
  if (IsAscii(utf8)) return utf8;
  if (auto whole = Convert(kCodePage936, "UTF-8", utf8, nullptr)) return *whole;
  // One "?" for each character the code page lacks, as the system's own conversion gives.
  std::string ansi;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    ansi += Convert(kCodePage936, "UTF-8", utf8.substr(i, length), nullptr).value_or("?");
    i += length;
  }
  return ansi;
}

bool Utf8ToAnsiStrict(const std::string& utf8, std::string& ansi) {
  auto converted = Convert(kCodePage936, "UTF-8", utf8, nullptr);
  if (!converted) return false;
  // iconv maps a few characters loosely; the text must survive the way back unchanged.
  auto back = Convert("UTF-8", kCodePage936, *converted, nullptr);
  if (!back || *back != utf8) return false;
  ansi = std::move(*converted);
  return true;
}

std::string AnsiToUtf8(const std::string& ansi) {
  if (IsAscii(ansi)) return ansi;
  return Convert("UTF-8", kCodePage936, ansi, "?").value_or(ansi);
}

std::string NativePath(const std::string& path) {
  // Decode first: a code page 936 trail byte may be 0x5C, which is not a separator.
  std::string native = IsAscii(path) ? path : Convert("UTF-8", kCodePage936, path, nullptr).value_or(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

}  // namespace velmora::sys
