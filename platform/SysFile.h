// Portable file access for the engines: the few calls they need, with a POSIX and a Win32
// implementation. Paths are text in the system's ANSI code page (936) with "\" or "/" between
// folders; the Win32 side hands them to the ANSI API as they are, the POSIX side converts them to
// UTF-8 and "/" at the system-call boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/SysFs.h"

namespace velmora::sys {

enum class OpenMode {
  kReadShared,       // read only; other readers and writers may keep the file open
  kReadDenyWrite,    // read only; others may read but not write
  kCreateTruncate,   // write only; created, or emptied if it exists; others may read
  kCreateExclusive,  // write only; created, or emptied if it exists; no sharing
  kWriteShared,      // write only, an existing file; others may read and write
};

enum class SeekFrom { kBegin, kCurrent, kEnd };

// An open file handle. Move-only; closes on destruction. Every call reports failure through its
// result rather than by throwing, so callers decide whether a failure is an exception or a boolean.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  static File Open(const std::string& path, OpenMode mode);

  explicit operator bool() const { return handle_ != kInvalid; }

  // New position from the start of the file, or -1 when the target is before the start or the
  // system refuses the seek.
  int64_t Seek(int64_t offset, SeekFrom from);
  // Size of the file in bytes, or -1.
  int64_t Size();
  // Reads until count bytes arrived, the file ends or an error occurs; returns the bytes read.
  size_t Read(void* buffer, size_t count);
  // Writes all count bytes; false on any short or failed write.
  bool Write(const void* buffer, size_t count);
  // Sets the file's length; the position is kept.
  bool SetSize(int64_t size);
  // Asks the system to write the file's buffers to the disk.
  bool Flush();
  // Sets the last-write time from an MS-DOS date (high 16 bits) and time (low 16 bits), read as
  // local time. Creation and access times stay.
  bool SetDosDateTime(uint32_t dosDateTime);
  // Closes the handle; false if the system reported an error (data may not have reached the disk).
  bool Close();

 private:
  static constexpr intptr_t kInvalid = -1;
  explicit File(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = kInvalid;
};

}  // namespace velmora::sys
