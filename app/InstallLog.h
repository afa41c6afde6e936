// The install log: every file and folder the setup creates, in order, saved as install.log in the
// installation folder and walked by the rollback. OS-independent.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace velmora::app {

// Saving install.log failed; every caller ignores it.
VELMORA_EXCEPTION(EInstallLogError, Exception);

inline constexpr const char* kInstallLogName = "install.log";
inline constexpr const char* kFileLinePrefix = "File=";
inline constexpr const char* kDirLinePrefix = "Dir=";

class TInstallLog {
 public:
  void Clear() { lines_.clear(); }
  void Append(const std::string& line) { lines_.push_back(line); }
  const std::vector<std::string>& Lines() const { return lines_; }
  // Writes every line followed by CR LF, replacing the file. Raises EInstallLogError.
  void Save(const std::string& path) const;

 private:
  std::vector<std::string> lines_;
};

// One line as the rollback reads it.
struct TLogItem {
  enum class Kind { kFile, kFolder } kind;
  std::string path;
};

// "File…" names a file, "Dir…" a folder (the first four or three characters, case-sensitive,
// after trimming); the path is what follows the first "=", trimmed, or the whole trimmed line
// without "=". Any other line is passed over.
std::optional<TLogItem> ReadLogLine(const std::string& line);

}  // namespace velmora::app
