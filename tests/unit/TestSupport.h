// Helpers shared by the unit tests: fixtures, scratch folders and a scripted input source.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace velmora::test {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Files and folders below `path` (only files with `filesOnly`), 0 when it does not exist.
inline size_t EntriesUnder(const std::string& path, bool filesOnly = false) {
  std::error_code ec;
  size_t n = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(path, ec); !ec && it != std::filesystem::end(it);
       it.increment(ec)) {
    if (!filesOnly || it->is_regular_file()) ++n;
  }
  return n;
}

inline Bytes Fixture(const std::string& name) { return ReadFile(std::string(VELMORA_FIXTURE_DIR) + "/" + name); }

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/velmora-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Serves a byte sequence to a read callback, at most `maxChunk` bytes per call, and records the
// counts it was asked for.
class ByteSource {
 public:
  explicit ByteSource(Bytes data, size_t maxChunk = SIZE_MAX) : data_(std::move(data)), maxChunk_(maxChunk) {}

  int32_t Read(uint8_t* buffer, int32_t count) {
    requests.push_back(count);
    size_t n = std::min({static_cast<size_t>(count), data_.size() - position_, maxChunk_});
    if (n > 0) std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return static_cast<int32_t>(n);
  }
  void Replace(Bytes data) {
    data_ = std::move(data);
    position_ = 0;
  }

  std::vector<int32_t> requests;

 private:
  Bytes data_;
  size_t maxChunk_;
  size_t position_ = 0;
};

}  // namespace velmora::test
