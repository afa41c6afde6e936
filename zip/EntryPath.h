// What an archive entry's stored name becomes below the destination folder, and the case-blind
// bookkeeping of the names a run has made. OS-independent.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

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

// Where the folder prefixes of a "\"-separated relative path end (at each separator), and the whole
// path's end when it names a file.
std::vector<size_t> PrefixEnds(const std::string& relative);

// Names that differ only in ASCII case, made one file for a run. Windows takes such names for one
// file itself, and there the engine passes every name on as it forms it. On a file layer that
// tells case apart (the host's), the run keeps the spelling of each folder and file it has made and
// gives a later name that differs only in case the first spelling, so that it reaches the same file.
class TMadeNames {
 public:
  // `layerFoldsCase`: the file system folds case itself, and this keeps and changes nothing.
  explicit TMadeNames(bool layerFoldsCase) : respells_(!layerFoldsCase) {}
  // Respells the folders and the file of `relative` (a path below DestDir) as made earlier in the
  // run when they differ only in ASCII case.
  void Respell(std::string& relative) const;
  // Adds the folders and the file of `relative` that are not there yet.
  void Remember(const std::string& relative);

 private:
  bool respells_;
  // Each spelling by its path with ASCII letters folded to lower case (trail bytes of two-byte
  // characters untouched).
  std::map<std::string, std::string> spellings_;
};

}  // namespace velmora::zip
