// The personal-folder edit's input-method choice.
#include "ui/InputMethod.h"

#include <algorithm>

namespace velmora::ui {

const char* const kUserpathInputMethod = "中文 (简体) - 搜狗拼音输入法";

bool IsCjkLanguage(unsigned primaryLanguage) {
  return primaryLanguage == 0x04 || primaryLanguage == 0x11 || primaryLanguage == 0x12;
}

std::optional<size_t> LayoutOnFocus(bool cjkLocale, const std::string& wanted, const std::vector<std::string>& installed,
                                    size_t defaultIndex) {
  if (!cjkLocale || wanted.empty()) return std::nullopt;
  if (defaultIndex < installed.size() && installed[defaultIndex] == wanted) return std::nullopt;
  const auto found = std::find(installed.begin(), installed.end(), wanted);
  if (found != installed.end()) return size_t(found - installed.begin());
  if (defaultIndex < installed.size()) return defaultIndex;
  return std::nullopt;
}

}  // namespace velmora::ui
