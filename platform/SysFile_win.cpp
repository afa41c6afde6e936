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
  HANDLE h;
  if (mode == OpenMode::kReadShared) {
    // Deny nothing: the running setup program has its own image open already.
    h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  } else {
    h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
  }
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

bool File::Close() {
  if (handle_ == kInvalid) return true;
  BOOL ok = CloseHandle(H(handle_));
  handle_ = kInvalid;
  return ok != FALSE;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace velmora::sys
