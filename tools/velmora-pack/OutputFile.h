// A destination file that appears only when it is complete: written under a temporary name in the
// same folder, renamed into place by Commit, removed if it is never committed. The temporary name
// ends in the destination's extension, so that a program run on it (a signing tool) sees the kind
// of file it is.
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
  // Closes the file, which keeps its temporary name until Commit. Throws PackError.
  void Close();
  const std::string& TempPath() const { return tempPath_; }
  // Closes (if still open) and renames into place. Throws PackError.
  void Commit();

 private:
  std::string path_;
  std::string tempPath_;
  sys::File file_;
  uint64_t size_ = 0;
  bool closed_ = false;
  bool committed_ = false;
};

}  // namespace velmora::pack
