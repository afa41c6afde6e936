// The system's accessibility interface for the wizard's windows: one object per window answers
// WM_GETOBJECT for its client area from an AccessibleSource, which the window implements with the
// portable descriptions of ui/Accessibility.h. Screen readers reach it through MSAA; Windows bridges
// MSAA to UI Automation.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/Accessibility.h"

namespace velmora::ui {

// What one window tells about itself (child 0) and its simple children. A child keeps its id for
// as long as the window lives, so that an event a screen reader handles late still names the same
// control; which children are listed, and in which order, may change (a new page).
class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;
  // The ids of the children listed now, in order.
  virtual std::vector<long> Children() = 0;
  // Whether the id names a child of this window, listed now or not.
  virtual bool IsChild(long child) = 0;
  // The object of a child in the window's client coordinates; child 0 is the window itself.
  virtual AccessibleObject Describe(long child) = 0;
  // A child that is a window of its own answers for itself; nullptr for a simple element.
  virtual HWND ChildWindow(long child) = 0;
  // Does what a click on the child does; false when the child has no default action now. Called
  // from the window's message queue, after the screen reader's request has returned.
  virtual bool DoDefaultAction(long child) = 0;
};

// A control that is a window of its own and answers for itself alone: a self-drawn button, check
// box or radio button, or an edit.
class SingleControlSource : public AccessibleSource {
 public:
  // `state` tells the control's state now, in its own client coordinates; `click` does what a
  // click does.
  SingleControlSource(std::function<AccControlState()> state, std::function<void()> click)
      : state_(std::move(state)), click_(std::move(click)) {}
  std::vector<long> Children() override { return {}; }
  bool IsChild(long) override { return false; }
  AccessibleObject Describe(long) override { return DescribeControl(state_()); }
  HWND ChildWindow(long) override { return nullptr; }
  bool DoDefaultAction(long) override;

 private:
  std::function<AccControlState()> state_;
  std::function<void()> click_;
};

// The accessible object of a window, made on the first WM_GETOBJECT and cut off from its source
// when the window goes: a screen reader may hold it longer than the window lives.
class AccessibleWindow {
 public:
  AccessibleWindow(HWND window, AccessibleSource& source) : window_(window), source_(source) {}
  ~AccessibleWindow();
  AccessibleWindow(const AccessibleWindow&) = delete;
  AccessibleWindow& operator=(const AccessibleWindow&) = delete;

  // The answer to WM_GETOBJECT: the object for OBJID_CLIENT, the system's default otherwise.
  LRESULT Answer(WPARAM wParam, LPARAM lParam);
  // Runs a default action that the object posted to the window; false for any other message.
  bool HandleAction(UINT message, WPARAM wParam);

 private:
  class Object;
  HWND window_;
  AccessibleSource& source_;
  Object* object_ = nullptr;  // one reference held while the window lives
};

// Whether a control window takes input now: it is enabled and so is its top-level window, which a
// question box disables while it is open.
inline bool ControlUsable(HWND control) {
  return IsWindowEnabled(control) && IsWindowEnabled(GetAncestor(control, GA_ROOT));
}

// Tells screen readers what changed, as the system's standard events (no effect when none listens).
void NotifyFocus(HWND window, long child = 0);
void NotifyStateChange(HWND window, long child = 0);
void NotifyNameChange(HWND window, long child);
void NotifyValueChange(HWND window, long child);
// The child is a live region whose content changed (the status line), so screen readers speak
// it without the focus on it.
void NotifyLiveRegion(HWND window, long child);
constexpr DWORD kEventLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
// The window's children changed (a new page).
void NotifyReorder(HWND window);

}  // namespace velmora::ui
