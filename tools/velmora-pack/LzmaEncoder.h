// Compressing a byte sequence into one raw LZMA1 stream (with end-of-stream marker), streamed to a
// sink as it is produced.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace velmora::pack {

struct LzmaSettings {
  uint32_t lc = 3;
  uint32_t lp = 0;
  uint32_t pb = 2;
  uint32_t dictionarySize = 32u << 20;
  uint32_t preset = 6;  // liblzma's preset for the match finder and its effort (0 fastest, 9 most)
};

class LzmaEncoder {
 public:
  using Sink = std::function<void(const uint8_t* data, size_t size)>;

  // Throws PackError when liblzma refuses the settings or lacks memory.
  LzmaEncoder(const LzmaSettings& settings, Sink sink);
  ~LzmaEncoder();

  // The 5-byte header that belongs in front of the stream.
  static void Header(const LzmaSettings& settings, uint8_t out[5]);

  void Write(const uint8_t* data, size_t size);
  // Flushes the rest and the end-of-stream marker.
  void Finish();
  uint64_t BytesIn() const;
  uint64_t BytesOut() const;

 private:
  struct State;
  void Run(int action);
  std::unique_ptr<State> state_;
  Sink sink_;
};

}  // namespace velmora::pack
