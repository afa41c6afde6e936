#include "ui/WheelScroll.h"

namespace velmora::ui {

WheelScroll PlanWheelScroll(int wheelDelta, uint32_t systemScrollLines) {
  WheelScroll plan;
  // Division truncates towards zero, which drops the remainder in either direction.
  int64_t notches = int64_t(wheelDelta) / kWheelNotch;
  if (notches == 0) return plan;
  plan.down = notches < 0;  // a positive delta is a turn away from the user: scroll up
  uint64_t whole = uint64_t(notches < 0 ? -notches : notches);
  plan.byPage = systemScrollLines == kWheelPageScroll;
  plan.steps = plan.byPage ? whole : whole * systemScrollLines;
  return plan;
}

}  // namespace velmora::ui
