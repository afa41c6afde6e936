// Little-endian integers as they stand in the setup's file formats. OS-independent.
#pragma once

#include <cstdint>

namespace velmora {

inline uint16_t ReadLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

inline uint32_t ReadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint64_t ReadLE64(const uint8_t* p) { return ReadLE32(p) | uint64_t(ReadLE32(p + 4)) << 32; }

inline void WriteLE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

}  // namespace velmora
