// Console check program for Windows: lays out every label of the wizard window with the window's
// own fonts and label layout, and checks that its text fits: a wrapping label's lines within its
// box, a single-line label within the page's width and its line. The labels whose text changes are
// checked with every text they show (the progress page's status texts, a large free space). Prints
// the font the system chose and one PASS or FAIL line per text; exit code 0 only if all fit.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/StatusTexts.h"
#include "ui/WindowDescription.h"
#include "ui/WindowText_win.h"

namespace {

using velmora::ui::ControlDescription;
using velmora::ui::ControlKind;

int failures = 0;

// Every text the label shows in a run.
std::vector<std::string> TextsOf(const ControlDescription& d) {
  namespace app = velmora::app;
  const std::string name = d.name;
  if (name == "lbSize") return {"所需空间：50MB  可用空间：1048576.0MB"};
  if (name == "Label11") return {d.text, app::kRollingBack};
  if (name == "lbInfo") {
    return {d.text,
            app::kStatusUnpacking,
            app::kStatusDecompressing,
            app::kStatusCopying,
            std::string(app::kStatusCopyingFile) + "LiveUpdater.exe" + app::kStatusCopyingFileEnd,
            app::kStatusRegisteringDlls,
            app::kStatusUpdatingRegistry,
            app::kStatusUninstallInfo,
            app::kStatusDone,
            app::kDeletingFiles};
  }
  return {d.text != nullptr ? d.text : ""};
}

void DescribeFont(HDC dc, HFONT font, const char* what) {
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof face, face);
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SIZE wide = {}, narrow = {};
  GetTextExtentPoint32A(dc, "中", 2, &wide);
  GetTextExtentPoint32A(dc, "A", 1, &narrow);
  std::printf("font %s: face \"%s\", line height %ld (ascent %ld, descent %ld), 中 %ld px, A %ld px\n", what, face,
              tm.tmHeight, tm.tmAscent, tm.tmDescent, wide.cx, narrow.cx);
  SelectObject(dc, old);
}

void CheckLabel(HDC dc, const ControlDescription& d, const std::string& text) {
  const RECT box = velmora::ui::LabelRect(d);
  const int width = box.right - box.left, height = box.bottom - box.top;
  RECT laid = {0, 0, width, 0};
  DrawTextA(dc, text.c_str(), int(text.size()), &laid, velmora::ui::LabelFormat(d.kind) | DT_CALCRECT);
  const int needWidth = laid.right - laid.left, needHeight = laid.bottom - laid.top;
  const bool fits = needWidth <= width && needHeight <= height;
  std::printf("%s %s on page %d: \"%s\" needs %d x %d of %d x %d\n", fits ? "PASS" : "FAIL", d.name, d.pageTag,
              text.c_str(), needWidth, needHeight, width, height);
  if (!fits) ++failures;
}

}  // namespace

int main() {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT regular = velmora::ui::CreateWindowFont(false);
  HFONT heading = velmora::ui::CreateWindowFont(true);
  DescribeFont(dc, regular, "regular");
  DescribeFont(dc, heading, "heading");
  int checked = 0;
  for (const ControlDescription& d : velmora::ui::Controls()) {
    if (!velmora::ui::IsLabel(d.kind)) continue;
    HGDIOBJ old = SelectObject(dc, d.boldLarge ? heading : regular);
    for (const std::string& text : TextsOf(d)) {
      CheckLabel(dc, d, text);
      ++checked;
    }
    SelectObject(dc, old);
  }
  DeleteObject(regular);
  DeleteObject(heading);
  DeleteDC(dc);
  std::printf("%s: %d of %d text(s) do not fit\n", failures == 0 ? "PASS" : "FAIL", failures, checked);
  return failures == 0 ? 0 : 1;
}
