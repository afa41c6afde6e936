// Helpers shared by the fuzz targets: a private scratch folder per fuzzing process, whole-file
// writes and recursive removal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace velmora::fuzz {

// A folder of its own under $TMPDIR (or /tmp), made on first use and removed when the process ends.
// The name is kept on the heap for good so that the exit handler can still read it.
inline const std::string& ScratchBase() {
  static const std::string* base = [] {
    const char* tmp = std::getenv("TMPDIR");
    auto* pattern = new std::string(std::string(tmp && *tmp ? tmp : "/tmp") + "/velmora-fuzz-XXXXXX");
    if (mkdtemp(pattern->data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(ScratchBase(), ec);
    });
    return pattern;
  }();
  return *base;
}

inline void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  if (std::fclose(f) != 0) std::abort();
}

inline void RemoveTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

}  // namespace velmora::fuzz
