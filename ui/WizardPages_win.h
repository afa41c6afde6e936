// The wizard window's pages, each a child window of the main window covering it at (0, 0): the
// parent of the page's controls, painted with the page's picture and labels, and, for screen
// readers, a dialog named by the page's heading. Showing a page shows its window. What a page
// window receives goes to one handler of the main window with the page's Tag.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/WindowDescription.h"

namespace velmora::ui {

class WizardPages {
 public:
  // Handles a message of page `tag`'s window.
  using Handler = std::function<LRESULT(int tag, HWND page, UINT message, WPARAM wParam, LPARAM lParam)>;

  // Creates every page of the window description as a hidden child of `window`, in the order the
  // window creates them.
  WizardPages(HWND window, Handler handler);
  ~WizardPages();
  WizardPages(const WizardPages&) = delete;
  WizardPages& operator=(const WizardPages&) = delete;

  // The window of the page with this Tag; null for a Tag no page carries.
  HWND Window(int tag) const;

 private:
  static LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  std::vector<HWND> windows_;  // by the page's place in Pages()
};

}  // namespace velmora::ui
