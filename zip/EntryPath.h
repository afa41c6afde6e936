// What an archive entry's stored name becomes below the destination folder, and the case-blind
// bookkeeping of the names a run has made. OS-independent.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace velmora::zip {

// The path below DestDir for an entry's stored path ("\" or "/" separators, code page 936), or
// nullopt when the entry must not be written:
// - a leading root ("\x"), drive ("C:x", "C:\x") or device-namespace ("\\?\C:\x", "\\.\x") prefix
//   is dropped, so the entry lands inside DestDir; a UNC name ("\\server\share\x", also as
//   "\\?\UNC\server\share\x") keeps server and share as folders: "server\share\x";
// - refused: a ".." component; a device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$,
//   also with an extension, in any component); a component ending in "." or " "; a character
//   Windows does not allow in names (< > : " | ? * and control characters); a file name with nothing
//   left once its prefix is dropped;
// - empty and "." folder components are dropped; the result has single "\" separators and keeps
//   a trailing "\" (a folder entry). "" is DestDir itself.
std::optional<std::string> PathBelowDestDir(const std::string& stored);

// The spelling of each folder and file a run has made, by its path below DestDir with ASCII letters
// folded to lower case (trail bytes of two-byte characters untouched).
using TMadeNames = std::map<std::string, std::string>;
// Respells the folders and the file of `relative` as made earlier in the run when they differ only
// in ASCII case: Windows takes such names for one file, and the host, whose file system tells case
// apart, is made to do the same.
void RespellAsMade(const TMadeNames& made, std::string& relative);
// Adds the folders and the file of `relative` that are not there yet.
void RememberMade(TMadeNames& made, const std::string& relative);

}  // namespace velmora::zip
