// Win32 implementation of the engines' file-system services, through the ANSI API.
#include "platform/SysFs.h"

#include <windows.h>

namespace velmora::sys {

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (p.empty()) return false;
  if (DirectoryExists(p)) return true;
  // Walk by characters, not bytes: a code page 936 trail byte may be 0x5C.
  for (const char* c = p.c_str(); *c != '\0'; c = CharNextA(c)) {
    if ((*c == '\\' || *c == '/') && c != p.c_str() && c[-1] != ':') {
      CreateDirectoryA(std::string(p.c_str(), c).c_str(), nullptr);
    }
  }
  CreateDirectoryA(p.c_str(), nullptr);
  return DirectoryExists(p);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool GetAttributes(const std::string& path, uint32_t& attributes) {
  const DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  attributes = a;
  return true;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

namespace {

// "X:\" for a path that starts with a drive letter and colon, else empty.
std::string DriveRoot(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return std::string();
  return path.substr(0, 2) + "\\";
}

}  // namespace

bool NamesFoldCase() { return true; }

bool IsRemovableDrive(const std::string& path) {
  const std::string root = DriveRoot(path);
  if (root.empty()) return false;
  const UINT type = GetDriveTypeA(root.c_str());
  return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

std::string VolumeLabel(const std::string& path) {
  const std::string root = DriveRoot(path);
  char label[MAX_PATH + 1] = {};
  if (root.empty() || !GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0)) {
    return std::string();
  }
  return label;
}

bool GetDosDateTime(const std::string& path, uint32_t& dosDateTime) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  FILETIME local;
  WORD date, time;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    return false;
  }
  dosDateTime = uint32_t(date) << 16 | time;
  return true;
}

}  // namespace velmora::sys
