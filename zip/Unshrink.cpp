// Method 1 (shrink): LZW whose code width the compressor raises by hand and whose table, once
// full, is thinned by dropping its leaves rather than reset.
#include <algorithm>
#include <memory>

#include "zip/LsbBitReader.h"
#include "zip/OldMethods.h"

namespace velmora::zip {

namespace {

constexpr int kMinCodeBits = 9;
constexpr int kMaxCodeBits = 13;
constexpr unsigned kCodeCount = 1u << kMaxCodeBits;
constexpr unsigned kControlCode = 256;   // followed by 1 (wider codes) or 2 (partial clear)
constexpr unsigned kFirstFreeCode = 257;
constexpr uint16_t kFree = 0xFFFF;       // prefix of an unused table slot
constexpr uint16_t kNoPrefix = 0xFFFE;   // prefix of the 256 single-byte strings
constexpr size_t kBlockSize = 32768;

struct TUnshrinkState {
  uint16_t prefix[kCodeCount];     // code of the string minus its last byte, kFree or kNoPrefix
  uint8_t last[kCodeCount];        // last byte of the code's string
  bool isParent[kCodeCount];       // scratch for the partial clear: some code extends this one
  uint8_t text[kCodeCount];        // a code's string, spelt backwards from the end
  uint8_t block[kBlockSize];       // decoded bytes not yet handed to the sink
  size_t blockUsed = 0;            // how many of them there are
  unsigned nextFree = kFirstFreeCode;  // lowest unused slot; the next new string goes there
};

void FindNextFree(TUnshrinkState& s, unsigned from) {
  while (from < kCodeCount && s.prefix[from] != kFree) ++from;
  s.nextFree = from;
}

// Frees every multi-byte string that no other string extends; freed slots are reused lowest first.
void PartialClear(TUnshrinkState& s) {
  for (unsigned c = 0; c < kCodeCount; ++c) s.isParent[c] = false;
  for (unsigned c = kFirstFreeCode; c < kCodeCount; ++c) {
    if (s.prefix[c] != kFree) s.isParent[s.prefix[c]] = true;
  }
  for (unsigned c = kFirstFreeCode; c < kCodeCount; ++c) {
    if (s.prefix[c] != kFree && !s.isParent[c]) s.prefix[c] = kFree;
  }
  FindNextFree(s, kFirstFreeCode);
}

void Emit(TUnshrinkState& s, const uint8_t* data, size_t size, const TBlockSink& out) {
  while (size > 0) {
    size_t n = std::min(size, kBlockSize - s.blockUsed);
    std::copy(data, data + n, s.block + s.blockUsed);
    s.blockUsed += n;
    data += n;
    size -= n;
    if (s.blockUsed == kBlockSize) {
      out(s.block, kBlockSize);
      s.blockUsed = 0;
    }
  }
}

// The first byte of a code's string, where the slot about to be filled counts as the previous
// code's string extended. False when the chain is broken.
bool FirstByte(const TUnshrinkState& s, unsigned code, unsigned previous, uint8_t& byte) {
  for (unsigned step = 0; step < kCodeCount; ++step) {
    if (code == s.nextFree) code = previous;
    const uint16_t prefix = s.prefix[code];
    if (prefix == kNoPrefix) {
      byte = s.last[code];
      return true;
    }
    if (prefix == kFree) return false;
    code = prefix;
  }
  return false;
}

// Hands out the string of an in-use code. False when its chain is broken (a freed link, or a loop
// that hostile input can build through reused slots).
bool EmitString(TUnshrinkState& s, unsigned code, const TBlockSink& out) {
  size_t start = kCodeCount;
  while (true) {
    if (start == 0) return false;
    s.text[--start] = s.last[code];
    const uint16_t prefix = s.prefix[code];
    if (prefix == kNoPrefix) break;
    if (prefix == kFree) return false;
    code = prefix;
  }
  Emit(s, s.text + start, kCodeCount - start, out);
  return true;
}

}  // namespace

void Unshrink(TByteSource& source, const TBlockSink& out) {
  TLsbBitReader in(source);
  auto state = std::make_unique<TUnshrinkState>();
  TUnshrinkState& s = *state;
  for (unsigned c = 0; c < kCodeCount; ++c) {
    s.prefix[c] = c < 256 ? kNoPrefix : kFree;
    s.last[c] = uint8_t(c);
  }

  int width = kMinCodeBits;
  unsigned previous = kFree;  // the code before this one; none at the start
  unsigned code;
  while (in.Read(width, code)) {
    if (code == kControlCode) {
      unsigned command;
      if (!in.Read(width, command)) break;
      if (command == 1 && width < kMaxCodeBits) {
        ++width;
      } else if (command == 2) {
        PartialClear(s);
      } else {
        break;  // an unknown command, or codes wider than 13 bits: the data is damaged
      }
      continue;
    }

    // Each code after the first completes the previous code's string plus this string's first
    // byte, which goes into the lowest free slot. A code not yet defined can only be that slot.
    // The new string links to the previous code even when a partial clear has just freed it; it
    // then reads through whatever that slot holds by the time it is used.
    if (s.prefix[code] == kFree && (code != s.nextFree || previous == kFree)) break;
    if (previous != kFree && s.nextFree < kCodeCount) {
      uint8_t firstByte;
      if (!FirstByte(s, code, previous, firstByte)) break;
      const unsigned slot = s.nextFree;
      s.prefix[slot] = uint16_t(previous);
      s.last[slot] = firstByte;
      FindNextFree(s, slot + 1);
    }
    if (!EmitString(s, code, out)) break;
    previous = code;
  }
  if (s.blockUsed > 0) out(s.block, s.blockUsed);
}

}  // namespace velmora::zip
