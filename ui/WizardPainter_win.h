// What the wizard's page windows paint themselves: the page's picture, its labels over it and, on
// the progress page, the track and bar, composed off-screen and copied in one step, and which parts
// a change needs repainted: a new page all of it, a label's new text only the label's box and a
// new bar width only the track. During an installation the status line and
// the bar change for every file, so this keeps those repaints small.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowModel.h"
#include "ui/Dib_win.h"
#include "ui/HighContrast_win.h"
#include "ui/WizardSync_win.h"

namespace velmora::ui {

class WizardPainter {
 public:
  // The fonts stay the caller's.
  WizardPainter(HFONT font, HFONT boldFont) : font_(font), boldFont_(boldFont) {}
  ~WizardPainter();
  WizardPainter(const WizardPainter&) = delete;
  WizardPainter& operator=(const WizardPainter&) = delete;

  // Invalidates what the changes need repainted on the shown page's window `page`: all of it for a
  // new page, a label's box for its new text, the track for the bar's new width.
  void Invalidate(const DrawnChanges& changes, const app::TWindowModel& model, HWND page);

  // WM_PAINT of page `tag`'s window: composes the invalid part off-screen and copies it.
  void Paint(HWND page, int tag, const app::TWindowModel& model);
  // The whole page into `dc`: also what the self-drawn controls take from under them.
  void PaintPage(HDC dc, int tag, const app::TWindowModel& model);
  // WM_PAINT of the main window: what no page covers, in the window's colour.
  void PaintUncovered(HWND window);

 private:
  HBITMAP Picture(int pageTag);
  void PaintPictureTexts(HDC dc, int tag);
  void PaintProgress(HDC dc, const app::TWindowModel& model, bool highContrast);
  void Blit(HDC dc, HBITMAP picture, int left, int top, int width, int height);

  HFONT font_, boldFont_;
  SystemColourBrushes brushes_;
  std::map<int, HBITMAP> pictures_;  // decoded page pictures, by resource
  HBITMAP trackPicture_ = nullptr;
  HBITMAP barPicture_ = nullptr;
  // Made once: a new bitmap for every paint costs round trips to the window system, and the page
  // repaints for every file.
  std::unique_ptr<Dib> backBuffer_;
  HDC pictureSource_ = nullptr;  // selects each picture in turn for copying
};

}  // namespace velmora::ui
