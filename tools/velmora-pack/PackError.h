// The error every velmora-pack command reports to the user before exiting with status 1.
#pragma once

#include <stdexcept>
#include <string>

namespace velmora::pack {

class PackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitEngineError = 2;

}  // namespace velmora::pack
