// The wizard window's pages as child windows.
#include "ui/WizardPages_win.h"

#include <algorithm>

#include "ui/ControlWindow_win.h"

namespace velmora::ui {

namespace {

constexpr const char* kPageClass = "TWizardPage";

// The page's place in Pages(), or past the end for a Tag no page carries.
size_t IndexOf(int tag) {
  const PageDescription* page = PageOf(tag);
  return page != nullptr ? size_t(page - Pages().data()) : Pages().size();
}

}  // namespace

WizardPages::WizardPages(HWND window, Handler handler) : handler_(std::move(handler)), windows_(Pages().size()) {
  RegisterControlClass(kPageClass, PageProc);
  std::vector<const PageDescription*> order;
  for (const PageDescription& page : Pages()) order.push_back(&page);
  std::stable_sort(order.begin(), order.end(),
                   [](const PageDescription* a, const PageDescription* b) { return a->creationRank < b->creationRank; });
  for (const PageDescription* page : order) {
    // The page takes the focus itself (a page change hands it the focus), so it is no tab stop.
    // Its child id is its Tag counted from 1.
    HWND w = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, page->panel, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                             0, 0, kPageWidth, kPageHeight, window, reinterpret_cast<HMENU>(intptr_t(page->tag + 1)),
                             GetModuleHandleA(nullptr), nullptr);
    if (w == nullptr) continue;
    SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    windows_[IndexOf(page->tag)] = w;
  }
}

WizardPages::~WizardPages() = default;

HWND WizardPages::Window(int tag) const {
  const size_t i = IndexOf(tag);
  return i < windows_.size() ? windows_[i] : nullptr;
}

LRESULT CALLBACK WizardPages::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<WizardPages*>(GetWindowLongPtrA(page, GWLP_USERDATA));
  const LONG_PTR id = GetWindowLongPtrA(page, GWLP_ID);
  if (self == nullptr || id <= 0) return DefWindowProcA(page, message, wParam, lParam);
  return self->handler_(int(id - 1), page, message, wParam, lParam);
}

}  // namespace velmora::ui
