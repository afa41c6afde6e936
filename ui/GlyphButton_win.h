// The glyph check box's and radio button's window: a self-drawn control that feeds its window
// messages to the glyph button model and composes the model's look off-screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/GlyphButton.h"
#include "ui/WindowDescription.h"

namespace velmora::ui {

struct GlyphButtonSetup {
  // The row of the window description it stands for: what screen readers are told about it.
  const ControlDescription* description = nullptr;
  bool radio = false;
  std::string caption;
  HFONT font = nullptr;
  TAlignmentVertical vertical = avTop;
  bool transparent = true;
  bool checked = false;
  // The radio buttons of one parent share this; null for a check box.
  TRadioSiblings* siblings = nullptr;
  // A custom glyph strip, taken over by the control; null for the standard glyph.
  HBITMAP strip = nullptr;
  TColor transparentColor = clOlive;
  TColor winMaskColor = clLime;
  // The user's or the program's change, after the new state is drawn.
  std::function<void()> onClick;
};

// Creates the control as a child of `parent` in `box` (parent coordinates).
HWND CreateGlyphButton(HWND parent, int id, const RECT& box, const GlyphButtonSetup& setup);

// The model of a window made by CreateGlyphButton, or null for any other window.
TRzCustomGlyphButton* GlyphButtonOf(HWND window);

}  // namespace velmora::ui
