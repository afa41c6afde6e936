// Win32 implementation of the engines' file access, through the ANSI API.
#include "platform/SysFile.h"

#include <windows.h>

namespace velmora::sys {

namespace {
HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
// Win32 calls take 32-bit counts; larger transfers go in pieces of this size.
constexpr DWORD kMaxChunk = 1u << 30;
}  // namespace

File File::Open(const std::string& path, OpenMode mode) {
  DWORD access = GENERIC_WRITE, share = FILE_SHARE_READ, disposition = CREATE_ALWAYS;
  switch (mode) {
    case OpenMode::kReadShared:
      // Deny nothing: the running setup program has its own image open already.
      access = GENERIC_READ;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::kReadDenyWrite:
      access = GENERIC_READ;
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::kCreateTruncate:
      break;
    case OpenMode::kCreateExclusive:
      share = 0;
      break;
    case OpenMode::kWriteShared:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      disposition = OPEN_EXISTING;
      break;
  }
  HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return File();
  return File(reinterpret_cast<intptr_t>(h));
}

int64_t File::Seek(int64_t offset, SeekFrom from) {
  if (handle_ == kInvalid) return -1;
  DWORD method = from == SeekFrom::kBegin ? FILE_BEGIN : from == SeekFrom::kCurrent ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance, pos;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(H(handle_), distance, &pos, method)) return -1;
  return pos.QuadPart;
}

int64_t File::Size() {
  LARGE_INTEGER size;
  if (handle_ == kInvalid || !GetFileSizeEx(H(handle_), &size)) return -1;
  return size.QuadPart;
}

size_t File::Read(void* buffer, size_t count) {
  if (handle_ == kInvalid) return 0;
  auto* p = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < count) {
    DWORD want = count - done > kMaxChunk ? kMaxChunk : static_cast<DWORD>(count - done);
    DWORD got = 0;
    if (!ReadFile(H(handle_), p + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

bool File::Write(const void* buffer, size_t count) {
  if (handle_ == kInvalid) return false;
  auto* p = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < count) {
    DWORD want = count - done > kMaxChunk ? kMaxChunk : static_cast<DWORD>(count - done);
    DWORD put = 0;
    if (!WriteFile(H(handle_), p + done, want, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

bool File::SetSize(int64_t size) {
  if (handle_ == kInvalid) return false;
  LARGE_INTEGER target, saved, zero;
  target.QuadPart = size;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(H(handle_), zero, &saved, FILE_CURRENT)) return false;
  const bool ok = SetFilePointerEx(H(handle_), target, nullptr, FILE_BEGIN) && SetEndOfFile(H(handle_));
  SetFilePointerEx(H(handle_), saved, nullptr, FILE_BEGIN);
  return ok;
}

bool File::Flush() { return handle_ != kInvalid && FlushFileBuffers(H(handle_)); }

bool File::SetDosDateTime(uint32_t dosDateTime) {
  FILETIME local, utc;
  if (handle_ == kInvalid || !DosDateTimeToFileTime(WORD(dosDateTime >> 16), WORD(dosDateTime), &local) ||
      !LocalFileTimeToFileTime(&local, &utc)) {
    return false;
  }
  return SetFileTime(H(handle_), nullptr, nullptr, &utc) != FALSE;
}

bool File::Close() {
  if (handle_ == kInvalid) return true;
  BOOL ok = CloseHandle(H(handle_));
  handle_ = kInvalid;
  return ok != FALSE;
}

}  // namespace velmora::sys
