// The archive behind a command-line argument: a ZIP file as it is, or a setup whose payload is
// taken out through the setup program's own copy-out and decoder into a temporary file.
#pragma once

#include <string>

#include "Commands.h"
#include "zip/VCLUnZip.h"

namespace velmora::pack {

class ArchiveSource {
 public:
  // Throws PackError when a setup's payload cannot be decoded.
  explicit ArchiveSource(const std::string& path);
  ~ArchiveSource();
  ArchiveSource(const ArchiveSource&) = delete;
  ArchiveSource& operator=(const ArchiveSource&) = delete;

  // The archive's path in the engine's code page.
  const std::string& EnginePath() const { return enginePath_; }
  bool FromSetup() const { return !tempPath_.empty(); }

 private:
  std::string enginePath_;
  std::string tempPath_;    // engine form; removed at the end
  std::string tempFolder_;  // host form: the private folder it lies in, removed at the end
};

// Points the engine at the source's archive with the reading options: recovery, the password, and
// classic part names when the archive is named like "set.004".
void OpenArchive(zip::TVCLUnZip& engine, const ArchiveSource& source, const ReadOptions& options);

}  // namespace velmora::pack
