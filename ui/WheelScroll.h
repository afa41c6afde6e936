// How the licence memo turns a mouse wheel message into scroll steps.
#ifndef VELMORA_UI_WHEELSCROLL_H
#define VELMORA_UI_WHEELSCROLL_H

#include <cstdint>

namespace velmora::ui {

// The system's wheel setting that asks for one page per notch instead of lines.
constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;
constexpr int kWheelNotch = 120;

struct WheelScroll {
  uint64_t steps = 0;   // single scroll steps to take, in order
  bool byPage = false;  // each step is a page rather than a line
  bool down = false;    // towards the end of the text
};

// Only whole notches scroll: a remainder of a notch is dropped, not carried to the next message,
// so a high-resolution wheel sending small deltas does not scroll at all.
WheelScroll PlanWheelScroll(int wheelDelta, uint32_t systemScrollLines);

}  // namespace velmora::ui

#endif
