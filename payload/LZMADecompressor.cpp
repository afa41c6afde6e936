// Raw LZMA1 decoding on top of liblzma. OS-independent.
#include "payload/LZMADecompressor.h"

#include <lzma.h>

#include <new>

#include "payload/CompressErrors.h"
#include "payload/PayloadFormat.h"

namespace velmora::payload {

namespace {
constexpr int kErrorShortHeader = 1;
constexpr int kErrorCorruptData = 5;
constexpr int kErrorStreamEnded = 6;
}  // namespace

struct TLZMADecompressor::Core {
  lzma_stream stream = LZMA_STREAM_INIT;
  ~Core() { lzma_end(&stream); }
};

TLZMADecompressor::TLZMADecompressor(TReadCallback readCallback)
    : TCustomDecompressor(std::move(readCallback)), core_(std::make_unique<Core>()) {}

TLZMADecompressor::~TLZMADecompressor() = default;

void TLZMADecompressor::Restart() {
  headerProcessed_ = false;
  endOfInput_ = false;
  streamEnded_ = false;
  // The core's memory stays allocated; liblzma reuses it when the next stream needs the same size.
  core_->stream.next_in = nullptr;
  core_->stream.avail_in = 0;
}

void TLZMADecompressor::ProcessHeader() {
  // The header bypasses the input buffer and the end-of-input flag.
  uint8_t bytes[kLzmaHeaderSize];
  if (readCallback_(bytes, kLzmaHeaderSize) != int32_t{kLzmaHeaderSize}) throw ECompressDataError(kErrorShortHeader);
  header_ = ParseLzmaHeader(bytes);
  workSize_ = LzmaModelSize(header_.lc, header_.lp) + header_.dictionarySize;

  lzma_options_lzma options{};
  options.dict_size = header_.dictionarySize;
  options.lc = header_.lc;
  options.lp = header_.lp;
  options.pb = header_.pb;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream& s = core_->stream;
  s.next_in = nullptr;
  s.avail_in = 0;
  const lzma_ret ret = lzma_raw_decoder(&s, filters);
  if (ret == LZMA_MEM_ERROR) throw std::bad_alloc();
  if (ret != LZMA_OK) throw ECompressInternalError(ret);
  headerProcessed_ = true;
}

void TLZMADecompressor::RefillInput() {
  lzma_stream& s = core_->stream;
  s.next_in = input_.data();
  s.avail_in = 0;
  if (endOfInput_) return;
  const int32_t got = readCallback_(input_.data(), int32_t{kInputBufferSize});
  if (got <= 0) {
    endOfInput_ = true;
    return;
  }
  s.avail_in = static_cast<size_t>(got > int32_t{kInputBufferSize} ? kInputBufferSize : got);
}

void TLZMADecompressor::ReadDecompressed(void* buffer, size_t count) {
  if (!headerProcessed_) ProcessHeader();
  if (count == 0) return;
  if (streamEnded_) throw ECompressDataError(kErrorStreamEnded);

  lzma_stream& s = core_->stream;
  s.next_out = static_cast<uint8_t*>(buffer);
  s.avail_out = count;
  while (s.avail_out > 0) {
    if (s.avail_in == 0) RefillInput();
    const size_t outBefore = s.avail_out;
    const size_t inBefore = s.avail_in;
    const lzma_ret ret = lzma_code(&s, endOfInput_ ? LZMA_FINISH : LZMA_RUN);
    if (ret == LZMA_STREAM_END) {
      streamEnded_ = true;
      break;
    }
    if (ret == LZMA_DATA_ERROR || ret == LZMA_BUF_ERROR) throw ECompressDataError(kErrorCorruptData);
    if (ret == LZMA_MEM_ERROR) throw std::bad_alloc();
    if (ret != LZMA_OK) throw ECompressInternalError(ret);
    // With the input gone and nothing more coming out, the stream is cut short.
    if (endOfInput_ && s.avail_in == 0 && s.avail_out == outBefore && inBefore == 0) {
      throw ECompressDataError(kErrorCorruptData);
    }
  }
  if (s.avail_out != 0) throw ECompressDataError(kErrorStreamEnded);
}

}  // namespace velmora::payload
