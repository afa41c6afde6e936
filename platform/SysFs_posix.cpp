// POSIX implementation of the engines' file-system services.
#include "platform/SysFs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/PosixPath.h"

namespace velmora::sys {

namespace {

bool Stat(const std::string& path, struct stat& st) { return ::stat(NativePath(path).c_str(), &st) == 0; }

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return Stat(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return Stat(path, st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  std::string native = NativePath(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (native.empty()) return false;
  for (size_t i = 1; i <= native.size(); ++i) {
    if (i < native.size() && native[i] != '/') continue;
    const std::string prefix = native.substr(0, i);
    if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool RemoveEmptyFolder(const std::string& path) { return ::rmdir(NativePath(path).c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool GetAttributes(const std::string& path, uint32_t& attributes) {
  struct stat st;
  if (!Stat(path, st)) return false;
  attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= kAttrReadOnly;
  return true;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  const std::string native = NativePath(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & kAttrReadOnly) ? mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
  return ::chmod(native.c_str(), mode) == 0;
}

bool NamesFoldCase() { return false; }

bool IsRemovableDrive(const std::string&) { return false; }

std::string VolumeLabel(const std::string&) { return std::string(); }

bool GetDosDateTime(const std::string& path, uint32_t& dosDateTime) {
  struct stat st;
  if (!Stat(path, st)) return false;
  std::tm t{};
  if (localtime_r(&st.st_mtime, &t) == nullptr || t.tm_year < 80) return false;
  dosDateTime = uint32_t(t.tm_year - 80) << 25 | uint32_t(t.tm_mon + 1) << 21 | uint32_t(t.tm_mday) << 16 |
                uint32_t(t.tm_hour) << 11 | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_sec / 2);
  return true;
}

}  // namespace velmora::sys
