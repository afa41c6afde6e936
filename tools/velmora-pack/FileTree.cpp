// Collecting the files of a product folder for packing.
#include "FileTree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "PackError.h"

namespace velmora::pack {

namespace {

void Walk(const std::string& root, const std::string& relative, int depth, std::vector<SourceFile>& out) {
  // Deeper than any real product; stops a link cycle.
  constexpr int kMaxDepth = 64;
  if (depth > kMaxDepth) throw PackError(root + "/" + relative + ": folders nested too deeply (link cycle?)");
  const std::string dirPath = relative.empty() ? root : root + "/" + relative;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(dirPath.c_str()), closedir);
  if (!dir) throw PackError(dirPath + ": cannot read folder: " + std::strerror(errno));
  while (dirent* e = readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string rel = relative.empty() ? name : relative + "/" + name;
    const std::string full = root + "/" + rel;
    struct stat st;
    if (stat(full.c_str(), &st) != 0) throw PackError(full + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) {
      Walk(root, rel, depth + 1, out);
    } else if (S_ISREG(st.st_mode)) {
      out.push_back({full, rel, static_cast<uint64_t>(st.st_size), st.st_mtime});
    } else {
      throw PackError(full + ": neither a regular file nor a folder");
    }
  }
}

}  // namespace

std::vector<SourceFile> CollectFiles(const std::string& root) {
  struct stat st;
  if (stat(root.c_str(), &st) != 0) throw PackError(root + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) throw PackError(root + ": not a folder");
  std::vector<SourceFile> files;
  Walk(root, "", 0, files);
  return files;
}

}  // namespace velmora::pack
