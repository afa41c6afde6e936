// The setup session's helpers. OS-independent.
#include "app/SetupSession.h"

#include "platform/Platform.h"
#include "zip/AnsiText.h"

namespace velmora::app {

using namespace velmora::platform;

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  const size_t nameStart = zip::LastDelimiter(path, '\\') == std::string::npos ? 0 : zip::LastDelimiter(path, '\\') + 1;
  const size_t dot = zip::LastDelimiter(path, '.');
  if (dot == std::string::npos || dot < nameStart) return path + extension;
  return path.substr(0, dot) + extension;
}

std::string WithTrailingBackslash(const std::string& folder) {
  if (!folder.empty() && zip::LastDelimiter(folder, '\\') == folder.size() - 1) return folder;
  return folder + "\\";
}

std::optional<uint32_t> SetupMessageFlags(int kind) {
  switch (kind) {
    case -1:
    case 1:
      return kMbTopmost | kMbIconError | kMbOk;
    case 0:
      return kMbTopmost | kMbIconInformation | kMbOk;
    case 2:
      return kMbTopmost | kMbIconQuestion | kMbOkCancel;
    case 3:
      return kMbTopmost | kMbDefButton3 | kMbIconQuestion | kMbYesNoCancel;
    case 4:
      return kMbTopmost | kMbDefButton2 | kMbIconQuestion | kMbOkCancel;
    case 5:
      return kMbTopmost | kMbDefButton2 | kMbIconQuestion | kMbYesNo;
    case 6:
      return kMbTopmost | kMbIconQuestion | kMbYesNo;
    default:
      return std::nullopt;
  }
}

}  // namespace velmora::app
