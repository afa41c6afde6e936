// The bitmap button's window: a self-drawn control that owns its state bitmaps, feeds its window
// messages to the button model and draws the model's paint plan off-screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/BmpButton.h"
#include "ui/WindowDescription.h"

namespace velmora::ui {

// What a new button starts with. The bitmaps are taken over by the button and deleted with it;
// null for an empty one.
struct BmpButtonSetup {
  // The row of the window description it stands for: what screen readers are told about it.
  const ControlDescription* description = nullptr;
  std::string caption;
  HFONT font = nullptr;
  bool showFocus = true;
  HBITMAP up = nullptr, upAndFocused = nullptr, disabled = nullptr, down = nullptr, stayDown = nullptr, hot = nullptr;
  std::function<void()> onClick;
};

// Creates the button as a child of `parent` at (left, top); it sizes itself to its Up bitmap.
HWND CreateBmpButton(HWND parent, int id, int left, int top, const BmpButtonSetup& setup);

// The model of a button window made by CreateBmpButton, or null for any other window.
TRzBmpButton* BmpButtonOf(HWND window);

}  // namespace velmora::ui
