// A destination file that appears only when it is complete.
#include "OutputFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "HostPath.h"
#include "PackError.h"

namespace velmora::pack {

namespace {

// ".exe" of "dir/VelmoraSetup.exe"; nothing when the file name has no dot.
std::string Extension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot);
}

}  // namespace

OutputFile::OutputFile(std::string path)
    : path_(std::move(path)), tempPath_(path_ + ".part-" + std::to_string(getpid()) + Extension(path_)) {
  file_ = sys::File::Open(AnsiPath(tempPath_), sys::OpenMode::kCreateTruncate);
  if (!file_) throw PackError(path_ + ": cannot create: " + std::strerror(errno));
}

OutputFile::~OutputFile() {
  if (!committed_) {
    file_.Close();
    sys::RemoveFile(AnsiPath(tempPath_));
  }
}

void OutputFile::Write(const void* data, size_t size) {
  if (!file_.Write(data, size)) throw PackError(path_ + ": write failed: " + std::strerror(errno));
  size_ += size;
}

void OutputFile::Close() {
  if (closed_) return;
  closed_ = true;
  if (!file_.Close()) throw PackError(path_ + ": write failed: " + std::strerror(errno));
}

void OutputFile::Commit() {
  Close();
  if (!sys::RenameFile(AnsiPath(tempPath_), AnsiPath(path_))) throw PackError(path_ + ": cannot rename into place: " + std::strerror(errno));
  committed_ = true;
}

}  // namespace velmora::pack
