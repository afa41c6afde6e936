// The 5-byte header of a raw LZMA1 block: properties byte and dictionary size. OS-independent.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::payload {

struct LzmaHeader {
  uint8_t properties = 0;
  uint32_t lc = 0;  // literal context bits, 0..8
  uint32_t lp = 0;  // literal position bits, 0..4
  uint32_t pb = 0;  // position bits, 0..4
  uint32_t dictionarySize = 0;  // as stored, 0 already raised to 1
};

// Decodes and checks the header: a properties byte above 224 raises ECompressDataError 3, a
// dictionary above 32 MiB raises code 7.
LzmaHeader ParseLzmaHeader(const uint8_t bytes[5]);

// Bytes of the probability model for these literal settings: 1846 fixed 16-bit probabilities
// plus 768 for each literal context.
size_t LzmaModelSize(uint32_t lc, uint32_t lp);

}  // namespace velmora::payload
