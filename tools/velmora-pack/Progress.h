// A one-line progress bar on standard error, shown only when it is a terminal.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::pack {

class Progress {
 public:
  Progress(std::string label, uint64_t total);
  ~Progress();
  void Update(uint64_t done);
  // Ends the line, leaving the bar at its last state.
  void Done();

 private:
  std::string label_;
  uint64_t total_;
  int shownPermille_ = -1;
  bool enabled_;
  bool finished_ = false;
};

}  // namespace velmora::pack
