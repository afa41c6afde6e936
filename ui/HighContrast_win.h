// Whether the user has asked for high contrast. Then the wizard draws everything in the system's
// colours instead of its pictures and bitmaps, so that the scheme the user chose holds for every
// text; otherwise every pixel is the artwork's.
#pragma once

#include <windows.h>

#include <map>

namespace velmora::ui {

// The system's setting, asked once and again after HighContrastChanged (the pages and buttons
// repaint often during an installation, and asking may cost a round trip). Where the system
// answers no such question (Wine), the value it would keep the setting in, the flags under
// HKCU\Control Panel\Accessibility\HighContrast, answers instead.
bool HighContrastOn();
// The system's settings or colours changed: the next HighContrastOn asks again.
void HighContrastChanged();

// Brushes of the system's colours as they are now, made from the colour, kept while they live: the
// system's own brushes for its colours may keep a colour that another program has since changed
// (Wine), and the wizard must repaint in the new one.
class SystemColourBrushes {
 public:
  SystemColourBrushes() = default;
  ~SystemColourBrushes();
  SystemColourBrushes(const SystemColourBrushes&) = delete;
  SystemColourBrushes& operator=(const SystemColourBrushes&) = delete;

  HBRUSH Brush(int colourIndex);

 private:
  std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace velmora::ui
