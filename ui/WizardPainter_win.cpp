// What the wizard window paints itself.
#include "ui/WizardPainter_win.h"

#include <algorithm>
#include <cstring>

#include "resources/ResourceIds.h"
#include "ui/JpegImage.h"
#include "ui/WindowText_win.h"

namespace velmora::ui {

namespace {

constexpr int kProgressPage = 4;

RECT RectOf(const app::TControlState& c) { return RECT{c.left, c.top, c.left + c.width, c.top + c.height}; }

// A JPEG picture of the program's resources as a top-down 24-bit DIB section; null when it cannot be
// read.
HBITMAP DecodePictureResource(int id) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  TImage image;
  if (bytes == nullptr || !DecodeJpeg(static_cast<const uint8_t*>(bytes), SizeofResource(nullptr, resource), image)) {
    return nullptr;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap != nullptr) std::memcpy(pixels, image.bgr.data(), image.bgr.size());
  return bitmap;
}

}  // namespace

WizardPainter::~WizardPainter() {
  if (pictureSource_ != nullptr) DeleteDC(pictureSource_);
  for (HBITMAP bitmap : {trackPicture_, barPicture_}) {
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
  for (const auto& [id, bitmap] : pictures_) {
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
}

void WizardPainter::Invalidate(const DrawnChanges& changes, const app::TWindowModel& model, HWND page) {
  if (page == nullptr) return;
  if (changes.newPage) {
    InvalidateRect(page, nullptr, FALSE);
    return;
  }
  for (ControlId label : changes.labels) {
    const RECT box = LabelRect(Describe(label));
    InvalidateRect(page, &box, FALSE);
  }
  if (changes.bar && model.currentPage == kProgressPage) {
    const RECT track = RectOf(model.Control(ControlId::Image1));
    InvalidateRect(page, &track, FALSE);
  }
}

void WizardPainter::Paint(HWND page, int tag, const app::TWindowModel& model) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(page, &ps);
  const RECT part = ps.rcPaint;
  if (backBuffer_ == nullptr) backBuffer_ = std::make_unique<Dib>(dc, kPageWidth, kPageHeight);
  if (backBuffer_->ok() && part.right <= backBuffer_->width() && part.bottom <= backBuffer_->height()) {
    // Only the part that needs it is composed.
    HDC buffer = backBuffer_->dc();
    IntersectClipRect(buffer, part.left, part.top, part.right, part.bottom);
    PaintPage(buffer, tag, model);
    SelectClipRgn(buffer, nullptr);
    BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, buffer, part.left, part.top,
           SRCCOPY);
  } else {
    PaintPage(dc, tag, model);
  }
  EndPaint(page, &ps);
}

void WizardPainter::PaintUncovered(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  FillRect(dc, &ps.rcPaint, brushes_.Brush(COLOR_BTNFACE));
  EndPaint(window, &ps);
}

// The page's picture, then its labels over it, transparent, in their order. Under high contrast
// the page is the system's window colour with the picture's texts drawn in its text colour.
void WizardPainter::PaintPage(HDC dc, int tag, const app::TWindowModel& model) {
  RECT all = {0, 0, kPageWidth, kPageHeight};
  const bool highContrast = HighContrastOn();
  HBITMAP picture = highContrast ? nullptr : Picture(tag);
  if (picture != nullptr) {
    Blit(dc, picture, 0, 0, kPageWidth, kPageHeight);
  } else {
    FillRect(dc, &all, brushes_.Brush(highContrast ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  if (highContrast) PaintPictureTexts(dc, tag);
  if (tag == kProgressPage) PaintProgress(dc, model, highContrast);
  for (const ControlDescription& d : Controls()) {
    if (!IsLabel(d.kind) || d.pageTag != tag || !model.Control(d.id).visible) continue;
    RECT box = LabelRect(d);
    // Laying out a label's text costs far more than clipping it, and most repaints during an
    // installation cover only the status line or the bar.
    if (!RectVisible(dc, &box)) continue;
    const std::string& text = model.Control(d.id).text;
    HGDIOBJ old = SelectObject(dc, d.boldLarge ? boldFont_ : font_);
    DrawTextA(dc, text.c_str(), int(text.size()), &box, LabelFormat(d.kind));
    SelectObject(dc, old);
  }
}

// The page picture from the program's resources, decoded once.
HBITMAP WizardPainter::Picture(int pageTag) {
  const PageDescription* page = PageOf(pageTag);
  if (page == nullptr) return nullptr;
  const int id = page->pictureResource;
  auto found = pictures_.find(id);
  if (found != pictures_.end()) return found->second;
  return pictures_[id] = DecodePictureResource(id);
}

// The texts the page's picture would show, in the label fonts.
void WizardPainter::PaintPictureTexts(HDC dc, int tag) {
  const PageDescription* page = PageOf(tag);
  if (page == nullptr) return;
  for (const PictureText& t : page->pictureTexts) {
    RECT box = {t.left, t.top, kPageWidth, t.top + 20};
    HGDIOBJ old = SelectObject(dc, t.kind == PictureText::kHeading ? boldFont_ : font_);
    DrawTextA(dc, t.text, -1, &box, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc, old);
  }
}

// The track picture, and the bar picture's left part as wide as the bar control (the picture ends at
// 461 pixels; a wider control shows no more of it). Under high contrast: the track's outline in the
// text colour and the bar in the highlight colour, as wide as the picture would show.
void WizardPainter::PaintProgress(HDC dc, const app::TWindowModel& model, bool highContrast) {
  if (barPicture_ == nullptr) barPicture_ = LoadBitmapResource(IDB_PROGRESS_BAR);
  const app::TControlState& track = model.Control(ControlId::Image1);
  const app::TControlState& bar = model.Control(ControlId::imgbar);
  BITMAP barInfo = {};
  if (barPicture_ != nullptr) GetObjectA(barPicture_, sizeof barInfo, &barInfo);
  const int shown = std::min(bar.width, int(barInfo.bmWidth));
  if (highContrast) {
    const RECT outline = RectOf(track);
    FrameRect(dc, &outline, brushes_.Brush(COLOR_WINDOWTEXT));
    const RECT filled = {bar.left, bar.top, bar.left + shown, bar.top + int(barInfo.bmHeight)};
    FillRect(dc, &filled, brushes_.Brush(COLOR_HIGHLIGHT));
    return;
  }
  if (trackPicture_ == nullptr) trackPicture_ = LoadBitmapResource(IDB_PROGRESS_TRACK);
  if (trackPicture_ != nullptr) Blit(dc, trackPicture_, track.left, track.top, track.width, track.height);
  if (barPicture_ != nullptr) Blit(dc, barPicture_, bar.left, bar.top, shown, barInfo.bmHeight);
}

// Copies a picture's top-left part to the DC, through a memory DC made once: the bar and the status
// line repaint for every file.
void WizardPainter::Blit(HDC dc, HBITMAP picture, int left, int top, int width, int height) {
  if (pictureSource_ == nullptr) pictureSource_ = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(pictureSource_, picture);
  BitBlt(dc, left, top, width, height, pictureSource_, 0, 0, SRCCOPY);
  SelectObject(pictureSource_, old);
}

}  // namespace velmora::ui
