// A one-line progress bar on standard error.
#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace velmora::pack {

Progress::Progress(std::string label, uint64_t total, bool showBytes)
    : label_(std::move(label)), total_(total), showBytes_(showBytes), enabled_(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() { Done(); }

void Progress::Update(uint64_t done) {
  done_ = done;
  if (!enabled_ || finished_) return;
  const int permille = total_ == 0 ? 1000 : static_cast<int>(done >= total_ ? 1000 : done * 1000 / total_);
  if (permille == shownPermille_) return;
  shownPermille_ = permille;
  Draw();
}

void Progress::Draw() {
  constexpr int kWidth = 30;
  const int filled = shownPermille_ * kWidth / 1000;
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\r%s [%s] %5.1f%%", label_.c_str(), bar, shownPermille_ / 10.0);
  if (showBytes_) std::fprintf(stderr, "  %.1f/%.1f MB", done_ / 1e6, total_ / 1e6);
  std::fflush(stderr);
}

void Progress::Line(const std::string& text) {
  const bool barShown = enabled_ && !finished_ && shownPermille_ >= 0;
  if (barShown) std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
  if (barShown) Draw();
}

void Progress::Done() {
  if (!enabled_ || finished_) return;
  finished_ = true;
  if (shownPermille_ >= 0) std::fputc('\n', stderr);
}

}  // namespace velmora::pack
