// File-system services of the engines: existence, folders, attributes and times. Paths as in
// SysFile.h (ANSI code page 936). Every call reports failure through its result.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::sys {

// The file attribute bits as the ZIP format and the Win32 API store them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

bool FileExists(const std::string& path);  // a file, not a folder
bool DirectoryExists(const std::string& path);
// Creates the folder and every missing parent; true if the folder exists afterwards.
bool ForceDirectories(const std::string& path);
bool RemoveFile(const std::string& path);
// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const std::string& path);
// Replaces `to` with `from` in one step where the system allows it.
bool RenameFile(const std::string& from, const std::string& to);

// On POSIX only the read-only bit (the owner's write permission) and the folder bit are real; a
// file reads as archive, and the other bits are not kept.
bool GetAttributes(const std::string& path, uint32_t& attributes);
bool SetAttributes(const std::string& path, uint32_t attributes);

// Whether the file system takes names that differ only in letter case for one file: true on
// Windows, false on POSIX, whose file systems keep such names apart.
bool NamesFoldCase();

// Whether the path starts with a drive letter whose drive is removable or a CD drive (never on POSIX).
bool IsRemovableDrive(const std::string& path);
// The volume label of the drive the path starts with, or empty.
std::string VolumeLabel(const std::string& path);

// The last-write time as an MS-DOS date and time in local time (date in the high 16 bits).
bool GetDosDateTime(const std::string& path, uint32_t& dosDateTime);

}  // namespace velmora::sys
