// A one-line progress bar on standard error, shown only when it is a terminal, with event lines on
// standard output printed above it.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::pack {

class Progress {
 public:
  // `showBytes`: the counts are bytes and are shown in MB beside the bar.
  Progress(std::string label, uint64_t total, bool showBytes = true);
  ~Progress();
  void Update(uint64_t done);
  // Prints one line on standard output without breaking the bar.
  void Line(const std::string& text);
  // Ends the bar's line, leaving it at its last state.
  void Done();

 private:
  void Draw();

  std::string label_;
  uint64_t total_;
  uint64_t done_ = 0;
  bool showBytes_;
  int shownPermille_ = -1;
  bool enabled_;
  bool finished_ = false;
};

}  // namespace velmora::pack
