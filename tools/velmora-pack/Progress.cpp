// A one-line progress bar on standard error.
#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace velmora::pack {

Progress::Progress(std::string label, uint64_t total)
    : label_(std::move(label)), total_(total), enabled_(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() { Done(); }

void Progress::Update(uint64_t done) {
  if (!enabled_ || finished_) return;
  const int permille = total_ == 0 ? 1000 : static_cast<int>(done >= total_ ? 1000 : done * 1000 / total_);
  if (permille == shownPermille_) return;
  shownPermille_ = permille;
  constexpr int kWidth = 30;
  const int filled = permille * kWidth / 1000;
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\r%s [%s] %5.1f%%  %.1f/%.1f MB", label_.c_str(), bar, permille / 10.0, done / 1e6,
               total_ / 1e6);
  std::fflush(stderr);
}

void Progress::Done() {
  if (!enabled_ || finished_) return;
  finished_ = true;
  if (shownPermille_ >= 0) std::fputc('\n', stderr);
}

}  // namespace velmora::pack
