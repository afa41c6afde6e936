// The install log. OS-independent.
#include "app/InstallLog.h"

#include "platform/SysFile.h"

namespace velmora::app {

namespace {

// Without spaces and control characters (every byte of 32 or below) at both ends.
std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

void TInstallLog::Save(const std::string& path) const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  sys::File file = sys::File::Open(path, sys::OpenMode::kCreateTruncate);
  if (!file || !file.Write(text.data(), text.size()) || !file.Close()) {
    throw EInstallLogError("Cannot write \"" + path + "\"");
  }
}

std::optional<TLogItem> ReadLogLine(const std::string& line) {
  const std::string trimmed = Trim(line);
  TLogItem item;
  if (trimmed.compare(0, 4, "File") == 0) {
    item.kind = TLogItem::Kind::kFile;
  } else if (trimmed.compare(0, 3, "Dir") == 0) {
    item.kind = TLogItem::Kind::kFolder;
  } else {
    return std::nullopt;
  }
  const size_t equals = trimmed.find('=');
  item.path = equals == std::string::npos ? trimmed : Trim(trimmed.substr(equals + 1));
  return item;
}

}  // namespace velmora::app
