// The personal-folder edit's input-method choice.
#include "ui/InputMethod.h"

#include <gtest/gtest.h>

namespace velmora::ui {
namespace {

TEST(InputMethodTest, ChoosesTheNamedMethodOnlyWhereItMatters) {
  const std::string wanted = kUserpathInputMethod;
  const std::vector<std::string> withIt = {"", "中文 (简体) - 微软拼音", wanted};
  const std::vector<std::string> without = {"", "中文 (简体) - 微软拼音"};
  const struct {
    bool cjk;
    std::vector<std::string> installed;
    size_t defaultIndex;
    std::optional<size_t> chosen;
  } cases[] = {
      {true, withIt, 0, 2},               // installed: switch to it
      {true, without, 1, 1},              // missing: the default layout
      {true, withIt, 2, std::nullopt},    // already the default: leave it
      {false, withIt, 0, std::nullopt},   // other locales are left alone
      {true, {}, 0, std::nullopt},        // nothing readable
  };
  for (const auto& c : cases) EXPECT_EQ(LayoutOnFocus(c.cjk, wanted, c.installed, c.defaultIndex), c.chosen);
}

}  // namespace
}  // namespace velmora::ui
