// Raw LZMA1 compression through liblzma.
#include "LzmaEncoder.h"

#include <lzma.h>

#include <string>

#include "PackError.h"
#include "payload/PayloadFormat.h"

namespace velmora::pack {

namespace {
constexpr size_t kOutChunk = 1 << 16;
}

struct LzmaEncoder::State {
  lzma_stream stream = LZMA_STREAM_INIT;
  uint8_t out[kOutChunk];
  ~State() { lzma_end(&stream); }
};

LzmaEncoder::LzmaEncoder(const LzmaSettings& settings, Sink sink)
    : state_(std::make_unique<State>()), sink_(std::move(sink)) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, settings.preset);
  options.dict_size = settings.dictionarySize;
  options.lc = settings.lc;
  options.lp = settings.lp;
  options.pb = settings.pb;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_ret ret = lzma_raw_encoder(&state_->stream, filters);
  if (ret == LZMA_MEM_ERROR) throw PackError("not enough memory for the LZMA encoder");
  if (ret != LZMA_OK) throw PackError("LZMA encoder refused its settings (liblzma error " + std::to_string(ret) + ")");
  state_->stream.next_out = state_->out;
  state_->stream.avail_out = kOutChunk;
}

LzmaEncoder::~LzmaEncoder() = default;

void LzmaEncoder::Header(const LzmaSettings& settings, uint8_t out[5]) {
  out[0] = static_cast<uint8_t>((settings.pb * 5 + settings.lp) * 9 + settings.lc);
  payload::WriteLE32(out + 1, settings.dictionarySize);
}

void LzmaEncoder::Run(int action) {
  lzma_stream& s = state_->stream;
  for (;;) {
    lzma_ret ret = lzma_code(&s, static_cast<lzma_action>(action));
    if (s.avail_out == 0 || ret == LZMA_STREAM_END) {
      sink_(state_->out, kOutChunk - s.avail_out);
      s.next_out = state_->out;
      s.avail_out = kOutChunk;
    }
    if (ret == LZMA_STREAM_END) return;
    if (ret != LZMA_OK) throw PackError("LZMA compression failed (liblzma error " + std::to_string(ret) + ")");
    if (action == LZMA_RUN && s.avail_in == 0) return;
  }
}

void LzmaEncoder::Write(const uint8_t* data, size_t size) {
  state_->stream.next_in = data;
  state_->stream.avail_in = size;
  Run(LZMA_RUN);
}

void LzmaEncoder::Finish() {
  state_->stream.next_in = nullptr;
  state_->stream.avail_in = 0;
  Run(LZMA_FINISH);
}

uint64_t LzmaEncoder::BytesIn() const { return state_->stream.total_in; }
uint64_t LzmaEncoder::BytesOut() const { return state_->stream.total_out; }

}  // namespace velmora::pack
