// Method 6 (implode): LZ77 over a 4 or 8 KiB window. Literals (optionally), match lengths and the
// upper distance bits are Shannon-Fano coded; the code lengths come first, as bytes.
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "zip/OldMethods.h"

namespace velmora::zip {

namespace {

constexpr int kMaxCodeBits = 16;
constexpr size_t kWindowSize = 32768;  // also the block handed to the sink; references reach 8 KiB
constexpr size_t kWindowMask = kWindowSize - 1;

// Decodes one code: indexed by the next `bits` input bits (the oldest in bit 0), an entry holds
// the length of the code found there in its high byte (0: no code starts so) and its symbol in
// the low byte.
struct TCodeTable {
  std::vector<uint16_t> entries;
  int bits = 0;
};

enum class TStep { kOk, kMalformed, kOutOfMemory };

// Input bits, the oldest first. Past the end of the input it reads zeros and notes that it did,
// so a code can be looked up at the very end and a stream cut short is still recognised.
class TBitInput {
 public:
  explicit TBitInput(TByteSource& in) : in_(in) {}

  // The next `count` (at most 16) bits, not yet used.
  uint32_t Peek(int count) {
    while (count_ < count) {
      uint8_t byte = 0;
      if (ended_ || !in_.NextByte(byte)) {
        ended_ = true;
        byte = 0;
        padding_ += 8;
      }
      bits_ |= uint32_t(byte) << count_;
      count_ += 8;
    }
    return bits_ & ((1u << count) - 1);
  }
  // Uses `count` bits that Peek has already made available.
  void Skip(int count) {
    bits_ >>= count;
    count_ -= count;
    if (count_ < padding_) overrun_ = true;
  }
  uint32_t Read(int count) {
    const uint32_t value = Peek(count);
    Skip(count);
    return value;
  }
  // True once a bit past the end of the input has been used.
  bool Overrun() const { return overrun_; }
  // True when the input ends within the next `count` bits; only after Peek(count).
  bool EndsWithin(int count) const { return count_ - padding_ < count; }

 private:
  TByteSource& in_;
  uint32_t bits_ = 0;    // bits not yet used, the oldest in bit 0
  int count_ = 0;        // how many of them there are
  int padding_ = 0;      // how many of them, at the top, are zeros standing in for missing input
  bool ended_ = false;   // the source has run dry
  bool overrun_ = false;
};

uint32_t ReverseBits(uint32_t value, int count) {
  uint32_t reversed = 0;
  for (int i = 0; i < count; ++i, value >>= 1) reversed = reversed << 1 | (value & 1);
  return reversed;
}

// Assigns the codes: symbols ordered by length, shorter first and ties by symbol, take codes
// counting up from zero in reverse of that order, so the longest codes are the smallest numbers.
// Fails when the lengths do not make a prefix code.
TStep BuildTable(const uint8_t* lengths, int count, TCodeTable& table) {
  uint16_t order[256];
  int ordered = 0;
  for (int length = 1; length <= kMaxCodeBits; ++length) {
    for (int symbol = 0; symbol < count; ++symbol) {
      if (lengths[symbol] == length) order[ordered++] = uint16_t(symbol);
    }
  }
  if (ordered != count) return TStep::kMalformed;

  uint16_t codes[256];
  uint32_t code = 0, step = 0;  // code aligned to 16 bits; step: one code of the current length
  int length = 0, longest = 0;
  for (int i = count - 1; i >= 0; --i) {
    code += step;
    const int symbol = order[i];
    if (lengths[symbol] != length) {
      length = lengths[symbol];
      step = 1u << (kMaxCodeBits - length);
    }
    // A code that is not a multiple of its step would share its leading bits with the code
    // before it; one past the 16-bit range means more codes than the lengths leave room for.
    if ((code & (step - 1)) != 0 || code + step > (1u << kMaxCodeBits)) return TStep::kMalformed;
    codes[symbol] = uint16_t(code >> (kMaxCodeBits - length));
    longest = std::max(longest, length);
  }

  try {
    table.entries.assign(size_t(1) << longest, 0);
  } catch (const std::bad_alloc&) {
    return TStep::kOutOfMemory;
  }
  table.bits = longest;
  // The stream holds each code's first bit first, so its bits index the table reversed.
  for (int symbol = 0; symbol < count; ++symbol) {
    const int bits = lengths[symbol];
    const uint16_t entry = uint16_t(bits << 8 | symbol);
    for (size_t i = ReverseBits(codes[symbol], bits); i < table.entries.size(); i += size_t(1) << bits) {
      table.entries[i] = entry;
    }
  }
  return TStep::kOk;
}

// Reads a code's lengths, stored as a byte count - 1 and then bytes holding, in the high nibble,
// how many symbols in a row share a length - 1 and, in the low nibble, that length - 1.
TStep ReadTree(TByteSource& in, int count, TCodeTable& table) {
  uint8_t byte;
  if (!in.NextByte(byte)) return TStep::kMalformed;
  const int bytes = byte + 1;
  uint8_t lengths[256];
  int filled = 0;
  for (int i = 0; i < bytes; ++i) {
    if (!in.NextByte(byte)) return TStep::kMalformed;
    const int run = (byte >> 4) + 1;
    if (filled + run > count) return TStep::kMalformed;
    std::fill(lengths + filled, lengths + filled + run, uint8_t((byte & 0x0F) + 1));
    filled += run;
  }
  if (filled != count) return TStep::kMalformed;
  return BuildTable(lengths, count, table);
}

// Decodes one symbol; false when the bits start no code (possible when the lengths leave gaps).
// Bits that run past the end of the input are used up, so Overrun tells the two cases apart.
bool Decode(TBitInput& bits, const TCodeTable& table, uint32_t& symbol) {
  const uint16_t entry = table.entries[bits.Peek(table.bits)];
  if (entry >> 8 == 0) {
    if (bits.EndsWithin(table.bits)) bits.Skip(table.bits);
    return false;
  }
  bits.Skip(entry >> 8);
  symbol = entry & 0xFF;
  return true;
}

struct TExplodeState {
  TCodeTable literals;   // present when the flag asks for three codes
  TCodeTable lengths;    // match length - minimum, 0 to 63 (63: a byte follows to add)
  TCodeTable distances;  // the distance's bits above its low 6 or 7
  uint8_t window[kWindowSize] = {};  // the last 32 KiB of output, zero before the first byte
  size_t position = 0;               // where the next output byte goes in the window
  uint64_t produced = 0;             // output bytes so far

  void Put(uint8_t byte, const TBlockSink& out) {
    window[position++] = byte;
    ++produced;
    if (position == kWindowSize) {
      out(window, kWindowSize);
      position = 0;
    }
  }
};

TExplodeResult ResultOf(TStep step) {
  return step == TStep::kOutOfMemory ? TExplodeResult::kOutOfMemory : TExplodeResult::kMalformed;
}

}  // namespace

TExplodeResult Explode(TByteSource& in, uint16_t flag, uint64_t size, const TBlockSink& out) {
  if (size == 0) return TExplodeResult::kDone;
  const bool bigWindow = (flag & 0x02) != 0;
  const bool literalCode = (flag & 0x04) != 0;
  const int lowDistanceBits = bigWindow ? 7 : 6;
  const uint32_t minimumLength = literalCode ? 3 : 2;

  std::unique_ptr<TExplodeState> state;
  try {
    state = std::make_unique<TExplodeState>();
  } catch (const std::bad_alloc&) {
    return TExplodeResult::kOutOfMemory;
  }
  TExplodeState& s = *state;
  TStep step = TStep::kOk;
  if (literalCode) step = ReadTree(in, 256, s.literals);
  if (step == TStep::kOk) step = ReadTree(in, 64, s.lengths);
  if (step == TStep::kOk) step = ReadTree(in, 64, s.distances);
  if (step != TStep::kOk) return ResultOf(step);

  TBitInput bits(in);
  TExplodeResult result = TExplodeResult::kDone;
  while (s.produced < size) {
    if (bits.Read(1) != 0) {
      uint32_t literal = 0;
      if (!literalCode) {
        literal = bits.Read(8);
      } else if (!Decode(bits, s.literals, literal)) {
        if (!bits.Overrun()) result = TExplodeResult::kMalformed;
        break;
      }
      if (bits.Overrun()) break;
      s.Put(uint8_t(literal), out);
      continue;
    }

    const uint32_t low = bits.Read(lowDistanceBits);
    uint32_t high, length;
    if (!Decode(bits, s.distances, high) || !Decode(bits, s.lengths, length)) {
      if (!bits.Overrun()) result = TExplodeResult::kMalformed;
      break;
    }
    if (length == 63) length += bits.Read(8);
    if (bits.Overrun()) break;
    length += minimumLength;
    const size_t distance = (size_t(high) << lowDistanceBits | low) + 1;
    // Positions before the first byte read as zeros: the window starts zeroed and does not wrap
    // before 32 KiB have been written.
    for (uint64_t n = std::min<uint64_t>(length, size - s.produced); n > 0; --n) {
      s.Put(s.window[(s.position - distance) & kWindowMask], out);
    }
  }
  if (s.position > 0) out(s.window, s.position);
  return result;
}

}  // namespace velmora::zip
