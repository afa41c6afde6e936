// Bits of a byte source taken low bit first, as the older compression methods store their codes.
// OS-independent.
#pragma once

#include <cstdint>

#include "zip/OldMethods.h"

namespace velmora::zip {

class TLsbBitReader {
 public:
  explicit TLsbBitReader(TByteSource& in) : in_(in) {}

  // Reads `width` (at most 24) bits; false when the input ends before all of them arrived.
  bool Read(int width, uint32_t& value) {
    while (count_ < width) {
      uint8_t byte;
      if (ended_ || !in_.NextByte(byte)) {
        ended_ = true;
        return false;
      }
      bits_ |= uint32_t(byte) << count_;
      count_ += 8;
    }
    value = bits_ & ((1u << width) - 1);
    bits_ >>= width;
    count_ -= width;
    return true;
  }

 private:
  TByteSource& in_;
  uint32_t bits_ = 0;  // input bits not yet used, the oldest in bit 0
  int count_ = 0;
  bool ended_ = false;
};

}  // namespace velmora::zip
