// Pull-style decompressors: the abstract interface and the raw LZMA1 implementation.
// OS-independent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "payload/LzmaHeader.h"

namespace velmora::payload {

// Supplies compressed input: fills up to `count` bytes at `buffer` and returns how many it placed
// there; 0 (or less) means the input has ended.
using TReadCallback = std::function<int32_t(uint8_t* buffer, int32_t count)>;

class TCustomDecompressor {
 public:
  explicit TCustomDecompressor(TReadCallback readCallback) : readCallback_(std::move(readCallback)) {}
  virtual ~TCustomDecompressor() = default;
  TCustomDecompressor(const TCustomDecompressor&) = delete;
  TCustomDecompressor& operator=(const TCustomDecompressor&) = delete;

  // Fills exactly `count` bytes at `buffer` with the next decompressed bytes of the stream, or
  // raises.
  virtual void ReadDecompressed(void* buffer, size_t count) = 0;
  // Forgets the current stream; the next read starts a new one from its header.
  virtual void Restart() = 0;

 protected:
  const TReadCallback readCallback_;
};

// Decodes one raw LZMA1 stream (5-byte header, then range-coded data, with or without an
// end-of-stream marker). Input is pulled through the callback in 65,536-byte refills into a
// buffer inside the object.
//
// Dictionaries below 4 KiB act as 4 KiB: the core (liblzma) never keeps a smaller one, so a header
// that names less (0 counts as 1) still decodes matches up to 4,096 bytes back; only a match
// further back than 4,096 bytes and the header's size is corrupt data.
//
// Errors: ECompressDataError 1 (header shorter than 5 bytes), 3 (properties byte above 224),
// 5 (corrupt data, or input ran out before `count` bytes), 6 (end-of-stream marker before `count`
// bytes), 7 (dictionary above 32 MiB); ECompressInternalError with the core's status for any other
// failure of the core, including literal settings with lc + lp above 4, which the core does not
// support; std::bad_alloc when the decoder's memory cannot be had.
class TLZMADecompressor : public TCustomDecompressor {
 public:
  static constexpr size_t kInputBufferSize = 65536;

  explicit TLZMADecompressor(TReadCallback readCallback);
  ~TLZMADecompressor() override;

  void ReadDecompressed(void* buffer, size_t count) override;
  void Restart() override;

  // The header of the current stream; valid once a read has processed it.
  const LzmaHeader& Header() const { return header_; }
  bool HeaderProcessed() const { return headerProcessed_; }
  // Memory the format needs for this stream: probability model plus the header's dictionary size
  // (the core itself keeps at least 4 KiB of dictionary).
  size_t WorkSize() const { return workSize_; }

 private:
  struct Core;  // the decoder core's state, kept out of this header

  void ProcessHeader();
  // Offers a fresh input window to the core. Leaves it empty once the input has ended.
  void RefillInput();

  bool endOfInput_ = false;       // the callback returned 0 for a refill; no more calls
  bool headerProcessed_ = false;  // header read and core initialised for the current stream
  bool streamEnded_ = false;      // the core met the end-of-stream marker
  LzmaHeader header_;
  size_t workSize_ = 0;
  std::unique_ptr<Core> core_;
  std::array<uint8_t, kInputBufferSize> input_;
};

}  // namespace velmora::payload
