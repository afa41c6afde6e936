// The licence text: nine clauses numbered in order, 46 lines of at most 56 bytes, CR LF throughout.
#include "app/LicenceText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::app {
namespace {

TEST(LicenceText, NineClausesIn46LinesThatNeverWrap) {
  const std::string text = LicenceText();
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 46u);
  int clause = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 56u) << i;
    EXPECT_EQ(lines[i].find('\n'), std::string::npos);
    // A clause starts at the top and after every empty line: "1、" to "9、" in order.
    if (i == 0 || lines[i - 1].empty()) {
      ASSERT_FALSE(lines[i].empty()) << i;
      EXPECT_EQ(lines[i].rfind(std::to_string(++clause) + "、", 0), 0u) << i;
    }
  }
  EXPECT_EQ(clause, 9);
}

}  // namespace
}  // namespace velmora::app
