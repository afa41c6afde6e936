// A setup's payload region as the setup program finds it, and the archive it decodes to, read in
// chunks so that no payload needs to fit in memory. Used by inspect and by build's check of a
// signed setup.
#pragma once

#include <cstdint>
#include <string>

#include "payload/LzmaHeader.h"
#include "payload/UCovert.h"
#include "platform/SysFile.h"

namespace velmora::pack {

// Why LocateRegion found no usable trailer, naming the rule that gave the region's end.
std::string NoTrailerReason(const payload::RegionPlace& region);

// The region of an open setup, found by the setup's own rule. Throws PackError naming the rule
// that was used when there is no valid trailer in front of the region's end.
payload::RegionPlace FindRegion(sys::File& file, const std::string& setup);

struct DecodedPayload {
  payload::LzmaHeader header;
  uint32_t archiveLength = 0;
  long entries = -1;  // from the archive's end record
};

// Decodes the region's block to its end. `onHeader` runs once the LZMA header and the length
// prefix are known, before the long decode. Throws PackError on any failure.
DecodedPayload DecodeRegion(sys::File& file, const payload::RegionPlace& region, const std::string& setup,
                            void (*onHeader)(const DecodedPayload&) = nullptr);

// How the region's end was found, for the user: "end of the file" or "start of the certificate table".
const char* RuleText(payload::RegionEndRule rule);

}  // namespace velmora::pack
