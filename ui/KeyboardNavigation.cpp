// Access keys, arrow keys and Tab over the window description.
#include "ui/KeyboardNavigation.h"

#include <algorithm>

namespace velmora::ui {
namespace {

// Where the window creates a control's page.
int PageRank(int tag) {
  const PageDescription* page = PageOf(tag);
  return page != nullptr ? page->creationRank : int(Pages().size());
}

// The windowed controls in creation order, re-sorted by tab order within each page.
const std::vector<const ControlDescription*>& TabOrder() {
  static const std::vector<const ControlDescription*> order = [] {
    std::vector<const ControlDescription*> controls = CreationOrder();
    std::stable_sort(controls.begin(), controls.end(), [](const ControlDescription* a, const ControlDescription* b) {
      return std::make_pair(PageRank(a->pageTag), a->tabOrder) < std::make_pair(PageRank(b->pageTag), b->tabOrder);
    });
    return controls;
  }();
  return order;
}

// Walks `ring` from `from` (or from before the start when absent) in one direction, wrapping, and
// returns the first control `accept` takes other than `from`.
const ControlDescription* Walk(const std::vector<const ControlDescription*>& ring, const ControlDescription* from,
                               bool forward, const CanFocusFn& accept) {
  const int n = int(ring.size());
  if (n == 0) return nullptr;
  const auto at = std::find(ring.begin(), ring.end(), from);
  int start = at == ring.end() ? (forward ? -1 : n) : int(at - ring.begin());
  for (int step = 1; step <= n; ++step) {
    const int i = ((start + (forward ? step : -step)) % n + n) % n;
    if (ring[i] != from && accept(*ring[i])) return ring[i];
  }
  return nullptr;
}

}  // namespace

const std::vector<const ControlDescription*>& CreationOrder() {
  static const std::vector<const ControlDescription*> order = [] {
    std::vector<const ControlDescription*> controls;
    for (const ControlDescription& d : Controls()) {
      if (IsWindowed(d.kind)) controls.push_back(&d);
    }
    std::stable_sort(controls.begin(), controls.end(), [](const ControlDescription* a, const ControlDescription* b) {
      return PageRank(a->pageTag) < PageRank(b->pageTag);
    });
    return controls;
  }();
  return order;
}

const ControlDescription* AccessKeyTarget(char typed, const std::function<const char*(const ControlDescription&)>& captionOf,
                                          const CanFocusFn& canFocus) {
  for (const ControlDescription* d : CreationOrder()) {
    const char* caption = captionOf(*d);
    if (caption != nullptr && IsAccessKey(caption, typed) && canFocus(*d)) return d;
  }
  return nullptr;
}

const ControlDescription* ArrowTarget(const ControlDescription& from, bool forward, const CanFocusFn& canFocus) {
  std::vector<const ControlDescription*> page;
  for (const ControlDescription* d : TabOrder()) {
    if (d->pageTag == from.pageTag) page.push_back(d);
  }
  return Walk(page, &from, forward, canFocus);
}

const ControlDescription* TabTarget(const ControlDescription* from, bool forward, const CanFocusFn& isStop) {
  return Walk(TabOrder(), from, forward, isStop);
}

}  // namespace velmora::ui
