// Code pages on Win32: the system's own OEM and ANSI code pages.
#include <windows.h>
// The system headers still define the old names OemToAnsi and AnsiToOem as macros.
#undef OemToAnsi
#undef AnsiToOem

#include <vector>

#include "platform/SysText.h"

namespace velmora::sys {

namespace {

std::string Transcode(const std::string& in, UINT from, UINT to) {
  if (in.empty()) return in;
  const int wide = MultiByteToWideChar(from, 0, in.data(), int(in.size()), nullptr, 0);
  if (wide <= 0) return std::string();
  std::vector<wchar_t> w(static_cast<size_t>(wide));
  MultiByteToWideChar(from, 0, in.data(), int(in.size()), w.data(), wide);
  const int bytes = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(size_t(bytes), '\0');
  WideCharToMultiByte(to, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
  return out;
}

}  // namespace

bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

bool OemToAnsi(const std::string& oem, std::string& ansi) {
  ansi.assign(oem.size(), '\0');
  return oem.empty() || OemToCharBuffA(oem.data(), &ansi[0], DWORD(oem.size())) != FALSE;
}

bool AnsiToOem(const std::string& ansi, std::string& oem) {
  oem.assign(ansi.size(), '\0');
  return ansi.empty() || CharToOemBuffA(ansi.data(), &oem[0], DWORD(ansi.size())) != FALSE;
}

std::string Utf8ToAnsi(const std::string& utf8) { return Transcode(utf8, CP_UTF8, CP_ACP); }

bool Utf8ToAnsiStrict(const std::string& utf8, std::string& ansi) {
  ansi.clear();
  if (utf8.empty()) return true;
  const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
  if (wide <= 0) return false;
  std::vector<wchar_t> w(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), wide);
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return false;
  ansi.assign(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, &ansi[0], bytes, nullptr, nullptr);
  return true;
}

std::string AnsiToUtf8(const std::string& ansi) { return Transcode(ansi, CP_ACP, CP_UTF8); }

}  // namespace velmora::sys
