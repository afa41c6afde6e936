// Whether the user has asked for high contrast.
#include "ui/HighContrast_win.h"

#include <windows.h>

#include <cstdlib>

namespace velmora::ui {

namespace {

bool highContrastKnown = false;
bool highContrastOn = false;

bool AskHighContrast() {
  HIGHCONTRASTA setting = {};
  setting.cbSize = sizeof setting;
  if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
      (setting.dwFlags & HCF_HIGHCONTRASTON) != 0) {
    return true;
  }
  // The flags are kept as a decimal string.
  char flags[16] = {};
  DWORD size = sizeof flags - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", "Flags", RRF_RT_REG_SZ, nullptr,
                   flags, &size) != ERROR_SUCCESS) {
    return false;
  }
  return (std::strtoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

bool HighContrastOn() {
  if (!highContrastKnown) {
    highContrastOn = AskHighContrast();
    highContrastKnown = true;
  }
  return highContrastOn;
}

void HighContrastChanged() { highContrastKnown = false; }

SystemColourBrushes::~SystemColourBrushes() {
  for (const auto& [colour, brush] : brushes_) DeleteObject(brush);
}

HBRUSH SystemColourBrushes::Brush(int colourIndex) {
  const COLORREF colour = GetSysColor(colourIndex);
  HBRUSH& brush = brushes_[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

}  // namespace velmora::ui
