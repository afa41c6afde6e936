// Access keys marked in captions.
#include "ui/AccessKey.h"

namespace velmora::ui {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

}  // namespace

char AccessKeyOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return AsciiUpper(caption[i + 1]);
    ++i;  // "&&" is a literal "&"
  }
  return 0;
}

bool IsAccessKey(const std::string& caption, int typed) {
  const char key = AccessKeyOf(caption);
  return key != 0 && key == AsciiUpper(char(typed));
}

}  // namespace velmora::ui
