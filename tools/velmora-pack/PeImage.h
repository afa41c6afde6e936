// Reading where a PE image ends, from its section table.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/SysFile.h"

namespace velmora::pack {

// The end of the last section's raw data, or nothing if the file does not start with a PE image.
std::optional<uint64_t> PeImageEnd(sys::File& file);

}  // namespace velmora::pack
