// The wizard window described as data: its pages and every control on them, with kind, place,
// size, text, font, starting state, tab order and bound handler. OS-independent; the Win32 window
// and the window model are both built from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::ui {

enum class ControlKind {
  kPicture,        // a page's background picture
  kLabel,          // single line, sized to its text
  kWrappingLabel,  // fixed size, text broken into lines inside the box
  kCloseButton,    // bitmap button, close set (17 x 17)
  kWideButton,     // bitmap button, wide set (89 x 23)
  kCancelButton,   // bitmap button, cancel set (88 x 23)
  kMixedButton,    // bitmap button, wide Up/Disabled with the small Hot/Down bitmaps
  kCheckBox,       // glyph check box
  kRadioButton,    // glyph radio button
  kFramedEdit,     // single-line edit with the custom frame
  kMemo,           // the read-only licence text
  kProgressTrack,  // the progress bar's track picture
  kProgressBar,    // the progress bar picture, its width set by the install sequence
};

// Whether controls of this kind are windows of their own (everything but pictures, labels and the
// progress images, which the window paints itself).
bool IsWindowed(ControlKind kind);
// Whether controls of this kind are texts the window draws (single-line and wrapping labels).
bool IsLabel(ControlKind kind);
// Whether a click on controls of this kind runs their handler (the buttons, check boxes and radio
// buttons).
bool IsClickable(ControlKind kind);

// Every control's identity, named as in the window description.
enum class ControlId : uint8_t {
#define WIZARD_CONTROL(id, ...) id,
#include "ui/WizardControls.def"
#undef WIZARD_CONTROL
};
constexpr size_t kControlCount = 0
#define WIZARD_CONTROL(id, ...) +1
#include "ui/WizardControls.def"
#undef WIZARD_CONTROL
    ;

// One control. Texts are the program's own (code page 936 at run time); nullptr where none.
struct ControlDescription {
  ControlId id;
  const char* name;   // the identity's own spelling
  ControlKind kind;
  int pageTag;  // the Tag of the page it sits on
  int left, top;
  int width, height;  // 0 x 0: sized to its text (single-line labels)
  const char* text;   // caption, or an edit's starting text where the table gives one
  const char* hint;   // tooltip text
  bool showHint;      // the tooltip shows
  bool boldLarge;     // the 14-pixel bold heading font instead of the window's 12-pixel regular
  bool enabled;       // at start
  bool visible;       // at start
  bool checked;       // at start (check boxes and radio buttons)
  int tag;            // the Tag it carries at start
  int tabOrder;       // -1 for controls outside the tab order (pictures and labels)
  const char* handler;  // the click (or change, key-down) handler it is bound to; nullptr when none
};

// A text that a page's picture draws, where it draws it: pixels have no name, so screen readers are
// told it, and under high contrast, where no picture is drawn, the page draws it itself.
struct PictureText {
  enum Kind { kHeading, kInstruction, kFrameTitle };
  Kind kind;
  const char* text;
  int left, top;  // the top left corner of its line
};

struct PageDescription {
  int tag;
  const char* panel;    // "pnl1", "pl0" ... "pl5"
  const char* picture;  // "img6", "img0" ...
  int pictureResource;  // the resource holding the picture (IDR_PAGE_...); pages 0, 1, 2 and 4 share one
  int creationRank;     // where the window creates the page: access keys are offered in this order
  std::vector<PictureText> pictureTexts;
};
// The page of a Tag, or nullptr for a Tag no page carries.
const PageDescription* PageOf(int tag);
// The label that is the page's heading: its first bold label; nullptr where only the picture draws one.
const ControlDescription* HeadingLabel(const PageDescription& page);
// The page's picture text of that kind; nullptr where the picture has none.
const char* PictureTextOf(const PageDescription& page, PictureText::Kind kind);

constexpr int kPageWidth = 507;
constexpr int kPageHeight = 394;

// A rectangle in the window's client coordinates; right and bottom are outside it.
struct Box {
  int left, top, right, bottom;
};
// The box a label is drawn in: its own size, or for a label sized to its text the rest of the
// page's width and a line of its font, which holds any text it is given.
Box LabelBox(const ControlDescription& label);

// The seven pages in Tag order 6, 0, 1, 2, 3, 4, 5 as the window shows them from start to finish.
const std::vector<PageDescription>& Pages();
// Every control of every page, page by page in that order, within a page in the order the window
// creates them, which is also the order in which access keys are offered. Controls()[i] has the
// identity of value i.
const std::vector<ControlDescription>& Controls();
const ControlDescription& Describe(ControlId id);

}  // namespace velmora::ui
