// A destination file that appears only when it is complete: written under a temporary name in the
// same folder, renamed into place by Commit, removed if it is never committed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/SysFile.h"

namespace velmora::pack {

class OutputFile {
 public:
  // Throws PackError if the temporary file cannot be created.
  explicit OutputFile(std::string path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Throws PackError on a failed write.
  void Write(const void* data, size_t size);
  uint64_t Size() const { return size_; }
  // Closes and renames into place. Throws PackError.
  void Commit();

 private:
  std::string path_;
  std::string tempPath_;
  sys::File file_;
  uint64_t size_ = 0;
  bool committed_ = false;
};

}  // namespace velmora::pack
