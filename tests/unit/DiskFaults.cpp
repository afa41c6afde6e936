// The test program's own open, write, ftruncate, mkdir and unlink (DiskFaults.h). Each passes the call to the
// kernel through syscall() unless an armed fault names the path it touches, so the engines' file
// layer runs unchanged and meets the fault where a real disk would raise it.
#undef _FORTIFY_SOURCE  // the fortified headers bring their own inline open
#include "DiskFaults.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "platform/PosixPath.h"

namespace velmora::test {
namespace {

// Native paths with single slashes and no trailing one.
struct Faults {
  bool any = false;
  std::string fullFolder;
  uint64_t room = 0;
  uint64_t written = 0;
  std::string sizeFolder;  // NoRoomToSize
  uint64_t sizeRoom = 0;
  std::vector<std::string> unwritable;
  std::vector<std::string> locked;
  bool keepOpenFiles = false;
};

Faults& Armed() {
  static Faults faults;
  return faults;
}

std::string Clean(const std::string& native) {
  std::string out;
  for (char c : native) {
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  }
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

std::string Native(const std::string& enginePath) { return Clean(sys::NativePath(enginePath)); }

bool Below(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

bool IsLocked(const std::string& path) {
  const std::vector<std::string>& locked = Armed().locked;
  return std::find(locked.begin(), locked.end(), path) != locked.end();
}

bool InUnwritableFolder(const std::string& path) {
  const std::vector<std::string>& folders = Armed().unwritable;
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& f) { return Below(path, f); });
}

// The file an open descriptor refers to.
std::string PathOf(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[4096];
  const ssize_t n = readlink(link, target, sizeof target);
  return n > 0 ? std::string(target, size_t(n)) : std::string();
}

// Whether a descriptor of this process has the file at `path` open for writing.
bool OpenForWriting(const char* path) {
  struct stat target;
  if (stat(path, &target) != 0) return false;
  DIR* fds = opendir("/proc/self/fd");
  if (fds == nullptr) return false;
  bool found = false;
  while (dirent* e = readdir(fds)) {
    const int fd = std::atoi(e->d_name);
    struct stat st;
    if (e->d_name[0] == '.' || fd == dirfd(fds) || fstat(fd, &st) != 0) continue;
    if (st.st_dev == target.st_dev && st.st_ino == target.st_ino && (fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY) {
      found = true;
      break;
    }
  }
  closedir(fds);
  return found;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

int Refuse(int error) {
  errno = error;
  return -1;
}

int OpenFile(const char* path, int flags, mode_t mode) {
  if (Armed().any) {
    const std::string p = Clean(path);
    if (IsLocked(p)) return Refuse(EACCES);
    const bool writing = (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
    if (writing && InUnwritableFolder(p)) return Refuse(EACCES);
  }
  return int(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

int SetLength(int fd, int64_t length) {
  const Faults& f = Armed();
  if (!f.sizeFolder.empty() && length > 0 && uint64_t(length) > f.sizeRoom && Below(PathOf(fd), f.sizeFolder)) {
    return Refuse(ENOSPC);
  }
  return int(syscall(SYS_ftruncate, fd, length));
}

mode_t ModeArgument(int flags, va_list args) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(args, unsigned int)) : 0;
}

}  // namespace

DiskFaults::~DiskFaults() { Armed() = Faults(); }

void DiskFaults::FullAfter(const std::string& folder, uint64_t bytes) {
  Faults& f = Armed();
  f.any = true;
  f.fullFolder = Native(folder);
  f.room = bytes;
  f.written = 0;
}

void DiskFaults::NoRoomToSize(const std::string& folder, uint64_t bytes) {
  Faults& f = Armed();
  f.any = true;
  f.sizeFolder = Native(folder);
  f.sizeRoom = bytes;
}

void DiskFaults::Unwritable(const std::string& folder) {
  Armed().any = true;
  Armed().unwritable.push_back(Native(folder));
}

void DiskFaults::Locked(const std::string& file) {
  Armed().any = true;
  Armed().locked.push_back(Native(file));
}

void DiskFaults::OpenFilesCannotBeDeleted() {
  Armed().any = true;
  Armed().keepOpenFiles = true;
}

uint64_t DiskFaults::BytesWritten() const { return Armed().written; }

}  // namespace velmora::test

using velmora::test::Armed;

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = velmora::test::ModeArgument(flags, args);
  va_end(args);
  return velmora::test::OpenFile(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = velmora::test::ModeArgument(flags, args);
  va_end(args);
  return velmora::test::OpenFile(path, flags, mode);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  velmora::test::Faults& f = Armed();
  if (f.fullFolder.empty() || count == 0 || !velmora::test::Below(velmora::test::PathOf(fd), f.fullFolder)) {
    return syscall(SYS_write, fd, buffer, count);
  }
  const uint64_t left = f.room - std::min(f.written, f.room);
  if (left == 0) return velmora::test::Refuse(ENOSPC);
  const ssize_t n = syscall(SYS_write, fd, buffer, size_t(std::min<uint64_t>(count, left)));
  if (n > 0) f.written += uint64_t(n);
  return n;
}

int ftruncate(int fd, off_t length) noexcept { return velmora::test::SetLength(fd, length); }

int ftruncate64(int fd, off64_t length) noexcept { return velmora::test::SetLength(fd, length); }

int mkdir(const char* path, mode_t mode) noexcept {
  if (Armed().any) {
    const std::string p = velmora::test::Clean(path);
    if (velmora::test::InUnwritableFolder(p)) return velmora::test::Refuse(velmora::test::Exists(p) ? EEXIST : EACCES);
  }
  return int(syscall(SYS_mkdirat, AT_FDCWD, path, mode));
}

int unlink(const char* path) noexcept {
  if (Armed().any) {
    const std::string p = velmora::test::Clean(path);
    if (velmora::test::IsLocked(p)) return velmora::test::Refuse(EBUSY);
    if (velmora::test::InUnwritableFolder(p)) return velmora::test::Refuse(EACCES);
    if (Armed().keepOpenFiles && velmora::test::OpenForWriting(path)) return velmora::test::Refuse(EBUSY);
  }
  return int(syscall(SYS_unlinkat, AT_FDCWD, path, 0));
}

}  // extern "C"
