// POSIX implementation of the engines' file access.
#include "platform/SysFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::sys {

namespace {
int Fd(intptr_t handle) { return static_cast<int>(handle); }
}  // namespace

File File::Open(const std::string& path, OpenMode mode) {
  int flags = O_CLOEXEC;
  if (mode == OpenMode::kReadShared) {
    flags |= O_RDONLY;
  } else {
    flags |= O_WRONLY | O_CREAT | O_TRUNC;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return File();
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return File();
  }
  return File(fd);
}

int64_t File::Seek(int64_t offset, SeekFrom from) {
  if (handle_ == kInvalid) return -1;
  int whence = from == SeekFrom::kBegin ? SEEK_SET : from == SeekFrom::kCurrent ? SEEK_CUR : SEEK_END;
  off_t pos = ::lseek(Fd(handle_), static_cast<off_t>(offset), whence);
  return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

int64_t File::Size() {
  struct stat st;
  if (handle_ == kInvalid || fstat(Fd(handle_), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

size_t File::Read(void* buffer, size_t count) {
  if (handle_ == kInvalid) return 0;
  auto* p = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(Fd(handle_), p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool File::Write(const void* buffer, size_t count) {
  if (handle_ == kInvalid) return false;
  auto* p = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(Fd(handle_), p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool File::Close() {
  if (handle_ == kInvalid) return true;
  int rc = ::close(Fd(handle_));
  handle_ = kInvalid;
  return rc == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace velmora::sys
