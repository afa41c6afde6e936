// Copying the compressed block out of a setup executable. OS-independent.
#pragma once

#include <cstdint>
#include <string>

#include "platform/SysFile.h"

namespace velmora::payload {

// The region size N from the trailer at the end of an open setup file, or 0 when the trailer cannot
// be read or lies outside 9..2^31-1. Whether N fits the file is left to the caller's seek.
uint32_t ReadRegionSize(sys::File& setup);

// Copies the N - 4 bytes of the appended region, found from the trailer at the end of
// `executablePath`, into `destinationPath` (created or replaced). False on any failure; never throws.
// The destination is created only after the whole block has been read.
bool CopyPayloadOut(const std::string& executablePath, const std::string& destinationPath) noexcept;

}  // namespace velmora::payload
