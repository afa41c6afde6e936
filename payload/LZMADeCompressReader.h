// Decoding a whole length-prefixed payload from one memory stream into another. OS-independent.
#pragma once

#include <cstdint>
#include <string>

#include "payload/LZMADecompressor.h"
#include "payload/MemoryStream.h"

namespace velmora::payload {

// What DecompressStream swallowed: the exception's class name and message (ANSI code page).
struct TCompressFailure {
  std::string className;
  std::string message;
};

class TLZMADeCompressReader : public TLZMADecompressor {
 public:
  TLZMADeCompressReader();

  // Reads the u32 length L from the decoded stream, then decodes L bytes straight into `output`
  // at its position. True on success; false on any failure, with the reason kept in LastError().
  // A failure puts back the output's size and position, but not its bytes: what was decoded before
  // the failure may already have overwritten bytes the output held after its position. Never throws.
  bool DecompressStream(TMemoryStream& input, TMemoryStream& output) noexcept;

  // The read callback: up to count bytes from the current input stream at its position.
  int32_t ReadInput(uint8_t* buffer, int32_t count);

  const TCompressFailure& LastError() const { return lastError_; }

 private:
  TMemoryStream* input_ = nullptr;  // not owned; set by each DecompressStream
  TCompressFailure lastError_;
};

}  // namespace velmora::payload
