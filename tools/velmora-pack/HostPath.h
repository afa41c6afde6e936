// Host paths and texts at the boundary with the engines, which work in code page 936.
#pragma once

#include <string>

#include "PackError.h"
#include "platform/SysText.h"

namespace velmora::pack {

// The engine form of a host (UTF-8) path; throws PackError when code page 936 cannot write it.
inline std::string AnsiPath(const std::string& utf8) {
  std::string ansi;
  if (!sys::Utf8ToAnsiStrict(utf8, ansi)) throw PackError(utf8 + ": path cannot be written in code page 936 (GBK)");
  return ansi;
}

// Engine text (messages, names) for the terminal.
inline std::string ShowText(const std::string& ansi) { return sys::AnsiToUtf8(ansi); }

}  // namespace velmora::pack
