// Collecting the files of a product folder for packing.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace velmora::pack {

struct SourceFile {
  std::string path;          // host path, for reading
  std::string relativePath;  // relative to the folder, "/"-separated, host encoding (UTF-8)
  uint64_t size = 0;
  std::time_t modified = 0;
};

// Every regular file under `root`, recursively, following symbolic links; folders themselves are
// not listed. Throws PackError for an unreadable folder or an entry that is neither file nor folder.
std::vector<SourceFile> CollectFiles(const std::string& root);

}  // namespace velmora::pack
