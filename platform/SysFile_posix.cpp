// POSIX implementation of the engines' file access.
#include "platform/SysFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/PosixPath.h"

namespace velmora::sys {

namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

bool IsCreateMode(OpenMode mode) { return mode == OpenMode::kCreateTruncate || mode == OpenMode::kCreateExclusive; }

// A file without the owner's write permission plays the part of a read-only file, which the
// system refuses to replace even for a privileged user.
bool IsReadOnlyFile(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

}  // namespace

File File::Open(const std::string& path, OpenMode mode) {
  const std::string native = NativePath(path);
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kReadShared:
    case OpenMode::kReadDenyWrite:
      flags |= O_RDONLY;
      break;
    case OpenMode::kCreateTruncate:
    case OpenMode::kCreateExclusive:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case OpenMode::kWriteShared:
      flags |= O_WRONLY;
      break;
  }
  if ((IsCreateMode(mode) || mode == OpenMode::kWriteShared) && IsReadOnlyFile(native)) {
    errno = EACCES;
    return File();
  }
  int fd;
  do {
    fd = ::open(native.c_str(), flags, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return File();
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return File();
  }
  return File(fd);
}

int64_t File::Seek(int64_t offset, SeekFrom from) {
  if (handle_ == kInvalid) return -1;
  const int whence = from == SeekFrom::kBegin ? SEEK_SET : from == SeekFrom::kCurrent ? SEEK_CUR : SEEK_END;
  const off_t pos = ::lseek(Fd(handle_), static_cast<off_t>(offset), whence);
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
    const ssize_t n = ::read(Fd(handle_), p + done, count - done);
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
    const ssize_t n = ::write(Fd(handle_), p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool File::SetSize(int64_t size) { return handle_ != kInvalid && ::ftruncate(Fd(handle_), static_cast<off_t>(size)) == 0; }

bool File::Flush() { return handle_ != kInvalid && ::fsync(Fd(handle_)) == 0; }

bool File::SetDosDateTime(uint32_t dosDateTime) {
  if (handle_ == kInvalid) return false;
  std::tm t{};
  t.tm_sec = int(dosDateTime & 0x1F) * 2;
  t.tm_min = int(dosDateTime >> 5 & 0x3F);
  t.tm_hour = int(dosDateTime >> 11 & 0x1F);
  t.tm_mday = int(dosDateTime >> 16 & 0x1F);
  t.tm_mon = int(dosDateTime >> 21 & 0x0F) - 1;
  t.tm_year = int(dosDateTime >> 25 & 0x7F) + 80;
  t.tm_isdst = -1;
  const std::time_t when = std::mktime(&t);
  if (when == static_cast<std::time_t>(-1)) return false;
  const struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
  return ::futimens(Fd(handle_), times) == 0;
}

bool File::Close() {
  if (handle_ == kInvalid) return true;
  const int rc = ::close(Fd(handle_));
  handle_ = kInvalid;
  return rc == 0;
}

}  // namespace velmora::sys
