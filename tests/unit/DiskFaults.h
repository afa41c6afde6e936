// Faults of the disk beneath the engines' file layer, for the native tests: a full volume, a folder
// that refuses new files and a file that another process holds open without sharing. The test
// program defines the system calls that platform/SysFile_posix.cpp and SysFs_posix.cpp make (open,
// write, mkdir, unlink) itself; each goes straight to the kernel unless a live DiskFaults names the
// path it touches, or the sharing rule below is on. Paths are given as the engines write them (code page 936, "\" separators).
#pragma once

#include <cstdint>
#include <string>

namespace velmora::test {

class DiskFaults {
 public:
  DiskFaults() = default;
  ~DiskFaults();  // every fault goes
  DiskFaults(const DiskFaults&) = delete;
  DiskFaults& operator=(const DiskFaults&) = delete;

  // The volume holding `folder` fills up: once `bytes` more have been written into files below it,
  // writes there fail with ENOSPC (a write that crosses the limit is cut short first).
  void FullAfter(const std::string& folder, uint64_t bytes);
  // The volume holding `folder` sets a file's whole length aside when the length is set (as a FAT
  // volume does, and Windows on any volume) and has room for `bytes`: setting a file below it to a
  // greater length fails with ENOSPC (the test program's own ftruncate). Writes are not limited by
  // this.
  void NoRoomToSize(const std::string& folder, uint64_t bytes);
  // No file or folder can be created below `folder`, nor an existing file there opened for writing
  // (EACCES). The folder itself and what it holds can still be read.
  void Unwritable(const std::string& folder);
  // Another process holds `file` open without sharing: it can be neither opened nor deleted.
  void Locked(const std::string& file);
  // Windows' sharing rule for this process's own files: a file that is open for writing here cannot
  // be deleted until it is closed (POSIX would unlink it at once).
  void OpenFilesCannotBeDeleted();
  // The bytes written below the FullAfter folder so far.
  uint64_t BytesWritten() const;
};

}  // namespace velmora::test
