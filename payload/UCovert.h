// Copying the compressed block out of a setup executable. OS-independent.
#pragma once

#include <cstdint>
#include <string>

#include "payload/PeHeaders.h"
#include "platform/SysFile.h"

namespace velmora::payload {

// Where the appended region lies in a setup file.
struct RegionPlace {
  RegionEnd end;      // where the region ends (before a trusted certificate table, or at the end of the file)
  uint32_t size = 0;  // N from the trailer in front of that end; 0 when there is no usable trailer
  uint64_t Start() const { return end.offset - size; }
};

// Reads the head of an open setup file and the trailer in front of the region's end. The size is
// 0 when the file cannot be read, when the trailer lies outside 9..2^31-1, or when N is larger than
// everything in front of the region's end. Reads kPeHeadSize bytes and the trailer, nothing else.
RegionPlace LocateRegion(sys::File& setup);

constexpr size_t kCopyChunkSize = 256 * 1024;

// Copies the N - 4 bytes of the appended region, found from the trailer at the region's end in
// `executablePath`, into `destinationPath` (created or replaced), a chunk of kCopyChunkSize bytes at
// a time, so that no buffer grows with the block. False on any failure; never throws. A failed copy
// leaves no destination file.
bool CopyPayloadOut(const std::string& executablePath, const std::string& destinationPath) noexcept;

}  // namespace velmora::payload
