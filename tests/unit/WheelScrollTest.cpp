// The memo's wheel rule: whole notches only, lines per notch from the system, or pages.
#include "ui/WheelScroll.h"

#include <gtest/gtest.h>

namespace velmora::ui {
namespace {

TEST(WheelScroll, WholeNotchesTimesTheSystemSetting) {
  struct Case {
    int delta;
    uint32_t lines;
    uint64_t steps;
    bool byPage;
    bool down;
  } cases[] = {
      {120, 3, 3, false, false},     // one notch up
      {-240, 3, 6, false, true},     // two notches down
      {119, 3, 0, false, false},     // less than a notch does nothing
      {-359, 3, 6, false, true},     // the remainder is dropped, not rounded
      {40, 3, 0, false, false},      // fine-resolution wheels: no carry between messages
      {-120, 0, 0, false, true},     // wheel scrolling switched off
      {360, kWheelPageScroll, 3, true, false},
      {-130, kWheelPageScroll, 1, true, true},
      {-32768, 0xFFFFFFFEu, 273ull * 0xFFFFFFFEull, false, true},  // no overflow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.delta);
    WheelScroll plan = PlanWheelScroll(c.delta, c.lines);
    EXPECT_EQ(plan.steps, c.steps);
    if (plan.steps == 0) continue;
    EXPECT_EQ(plan.byPage, c.byPage);
    EXPECT_EQ(plan.down, c.down);
  }
}

}  // namespace
}  // namespace velmora::ui
