// POSIX only: the native form of an engine path (ANSI code page 936, "\" or "/" separators).
#pragma once

#include <string>

namespace velmora::sys {

// UTF-8 with "/" separators. Bytes that are not code page 936 text are passed through unchanged.
std::string NativePath(const std::string& path);

}  // namespace velmora::sys
