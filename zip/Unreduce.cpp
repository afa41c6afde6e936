// Methods 2 to 5 (reduce). Two stages undo each other's work here: a per-byte "follower set" code
// yields an intermediate byte stream, and that stream holds literal bytes and back references
// introduced by the escape byte 144.
#include <algorithm>
#include <memory>

#include "zip/LsbBitReader.h"
#include "zip/OldMethods.h"

namespace velmora::zip {

namespace {

constexpr uint8_t kEscape = 144;
constexpr size_t kWindowSize = 32768;  // also the block handed to the sink; references reach 4 KiB
constexpr size_t kWindowMask = kWindowSize - 1;
constexpr int kMaxFollowers = 64;      // a set's size is stored in 6 bits

struct TUnreduceState {
  uint8_t followers[256][kMaxFollowers] = {};  // the bytes likely to come after each byte value
  uint8_t followerCount[256] = {};             // how many of them are stored
  uint8_t indexBits[256] = {};                 // bits of a set member's index
  uint8_t window[kWindowSize] = {};  // the last 32 KiB of output, zero before the first byte
  size_t position = 0;               // where the next output byte goes in the window
  uint64_t produced = 0;             // output bytes so far
};

void Put(TUnreduceState& s, uint8_t byte, const TBlockSink& out) {
  s.window[s.position++] = byte;
  ++s.produced;
  if (s.position == kWindowSize) {
    out(s.window, kWindowSize);
    s.position = 0;
  }
}

// The set sizes and members, stored for byte 255 first down to byte 0.
bool ReadFollowerSets(TUnreduceState& s, TLsbBitReader& in) {
  for (int byte = 255; byte >= 0; --byte) {
    uint32_t count;
    if (!in.Read(6, count)) return false;
    s.followerCount[byte] = uint8_t(count);
    // Enough bits to number the members 0 to count - 1, and at least one.
    int width = 1;
    while ((1u << width) < count) ++width;
    s.indexBits[byte] = uint8_t(width);
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t member;
      if (!in.Read(8, member)) return false;
      s.followers[byte][i] = uint8_t(member);
    }
  }
  return true;
}

// The next byte of the intermediate stream, given the byte before it.
bool NextIntermediate(TUnreduceState& s, TLsbBitReader& in, uint8_t previous, uint8_t& byte) {
  uint32_t value;
  if (s.followerCount[previous] != 0) {
    uint32_t literal;
    if (!in.Read(1, literal)) return false;
    if (literal == 0) {
      if (!in.Read(s.indexBits[previous], value)) return false;
      // An index past the stored members reads a zero from the unused part of the set.
      byte = s.followers[previous][value];
      return true;
    }
  }
  if (!in.Read(8, value)) return false;
  byte = uint8_t(value);
  return true;
}

}  // namespace

void Unreduce(TByteSource& source, int factor, uint64_t size, const TBlockSink& out) {
  TLsbBitReader in(source);
  if (factor < 1 || factor > 4 || size == 0) return;
  auto state = std::make_unique<TUnreduceState>();
  TUnreduceState& s = *state;
  if (!ReadFollowerSets(s, in)) return;

  // A reference is the escape byte, then V, then (when V's low bits are all ones) a length
  // extension, then D. The length is V's low 8 - factor bits (+ the extension) + 3; the distance
  // is V's top `factor` bits * 256 + D + 1.
  const uint32_t lengthMask = 0xFFu >> factor;
  enum { kLiteral, kAfterEscape, kLengthExtension, kDistance } stage = kLiteral;
  uint8_t previous = 0;
  uint32_t v = 0, length = 0;
  while (s.produced < size) {
    uint8_t x;
    if (!NextIntermediate(s, in, previous, x)) break;
    previous = x;
    switch (stage) {
      case kLiteral:
        if (x == kEscape) {
          stage = kAfterEscape;
        } else {
          Put(s, x, out);
        }
        break;
      case kAfterEscape:
        if (x == 0) {
          Put(s, kEscape, out);  // an escaped escape byte
          stage = kLiteral;
        } else {
          v = x;
          length = v & lengthMask;
          stage = length == lengthMask ? kLengthExtension : kDistance;
        }
        break;
      case kLengthExtension:
        length += x;
        stage = kDistance;
        break;
      case kDistance: {
        const size_t distance = (size_t(v >> (8 - factor)) << 8) + x + 1;
        uint64_t count = std::min<uint64_t>(length + 3, size - s.produced);
        // Positions before the first byte read as zeros: the window starts zeroed and does not
        // wrap before 32 KiB have been written.
        for (; count > 0; --count) Put(s, s.window[(s.position - distance) & kWindowMask], out);
        stage = kLiteral;
        break;
      }
    }
  }
  if (s.position > 0) out(s.window, s.position);
}

}  // namespace velmora::zip
