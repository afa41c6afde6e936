// The setup session: the process-wide record of the wizard's folders, temporary files and flags.
// OS-independent. Every folder path ends with a backslash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/InstallLog.h"

namespace velmora::app {

// The payload copy in the user's temporary folder; "~" appended names the decompressed archive.
inline constexpr const char* kPayloadTempName = "kestrin.setupfile.~tmp";
inline constexpr const char* kPayloadCopyExtension = ".~tmp";

struct SetupSession {
  std::string SystemFolder;     // the system folder
  std::string InstallFolder;    // empty until installation starts; fixed afterwards
  std::string PayloadTempFile;  // the payload copy, later the decompressed archive
  bool Aborted = false;         // the user confirmed cancelling during installation
  bool Installing = false;      // from the progress page until Finish
  TInstallLog InstallLog;
};

// `path` with the extension of its file name (from its last "." after the last "\") replaced by
// `extension`, or `extension` appended when it has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// A folder path with one trailing backslash.
std::string WithTrailingBackslash(const std::string& folder);

// The message-box flags of the wizard's message helper for `kind` (-1 to 6); nothing for any other
// kind, which shows no box.
std::optional<uint32_t> SetupMessageFlags(int kind);

}  // namespace velmora::app
