// Arbitrary bytes as an install log: every line goes through the reader the rollback uses, and
// what it returns must come from the line itself.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/InstallLog.h"

namespace {

bool Blank(unsigned char c) { return c <= 32; }

void CheckLine(const std::string& line) {
  const std::optional<velmora::app::TLogItem> item = velmora::app::ReadLogLine(line);
  if (!item) return;
  const std::string& path = item->path;
  if (path.size() > line.size() || line.find(path) == std::string::npos) std::abort();
  if (!path.empty() && (Blank(path.front()) || Blank(path.back()))) std::abort();
  const bool file = item->kind == velmora::app::TLogItem::Kind::kFile;
  if (line.find(file ? "File" : "Dir") == std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find('\n', begin);
    CheckLine(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  return 0;
}
