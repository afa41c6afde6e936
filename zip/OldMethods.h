// Decoders of the older PKWARE compression methods: shrink (1), reduce (2 to 5) and implode (6).
// OS-independent. They read compressed bytes one at a time and hand out decoded bytes in blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace velmora::zip {

// Supplies the entry's compressed bytes one at a time; false when none is left.
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  virtual bool NextByte(uint8_t& byte) = 0;
};

// Receives decoded bytes in blocks of at most 32,768 bytes. It may raise; the decoders let the
// exception pass.
using TBlockSink = std::function<void(const uint8_t* data, size_t size)>;

// Method 1: LZW with 9- to 13-bit codes; code 256 followed by 1 widens the codes, followed by 2
// clears the unused leaves. Ends when the input is used up.
void Unshrink(TByteSource& in, const TBlockSink& out);

// Methods 2 to 5 (compression factor 1 to 4): follower sets, escape byte 144, a 16 KiB window.
// Ends after `size` output bytes or when the input is used up.
void Unreduce(TByteSource& in, int factor, uint64_t size, const TBlockSink& out);

enum class TExplodeResult {
  kDone,         // `size` bytes decoded, or the input used up
  kMalformed,    // a code tree could not be built; decoding ended
  kOutOfMemory,  // the code tables could not be allocated
};

// Method 6: Shannon-Fano coded trees; `flag` bit 1 selects an 8 KiB window (else 4 KiB), bit 2 a
// literal tree (three trees, else two). Ends after `size` output bytes.
TExplodeResult Explode(TByteSource& in, uint16_t flag, uint64_t size, const TBlockSink& out);

}  // namespace velmora::zip
