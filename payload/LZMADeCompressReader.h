// Decoding a whole length-prefixed payload from one memory stream into another. OS-independent.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "payload/LZMADecompressor.h"
#include "payload/MemoryStream.h"
#include "platform/Exception.h"

namespace velmora::payload {

// What DecompressStream or DecompressFile swallowed: the exception's class name and message (ANSI
// code page).
struct TCompressFailure {
  std::string className;
  std::string message;
};

// The block file could not be opened or read, or the archive file not created or written.
VELMORA_EXCEPTION(EPayloadFileError, Exception);

class TLZMADeCompressReader : public TLZMADecompressor {
 public:
  TLZMADeCompressReader();

  // Reads the u32 length L from the decoded stream, then decodes L bytes straight into `output`
  // at its position. True on success; false on any failure, with the reason kept in LastError().
  // A failure puts back the output's size and position, but not its bytes: what was decoded before
  // the failure may already have overwritten bytes the output held after its position. Never throws.
  bool DecompressStream(TMemoryStream& input, TMemoryStream& output) noexcept;

  // Decodes the block in the file `blockPath` into the file `archivePath` (created or replaced), a
  // chunk of kOutputChunkSize bytes at a time: memory is the dictionary and fixed buffers, whatever
  // the archive's size. True once the whole archive is written. False, with the reason in
  // LastError(), when the block does not decode to an archive by the rules of DecompressStream.
  // Throws EPayloadFileError when the block cannot be read or the archive cannot be written. Only a
  // true result leaves an archive file.
  bool DecompressFile(const std::string& blockPath, const std::string& archivePath);

  static constexpr size_t kOutputChunkSize = 256 * 1024;

  // The read callback: up to count bytes from the current input at its position.
  int32_t ReadInput(uint8_t* buffer, int32_t count);

  const TCompressFailure& LastError() const { return lastError_; }

 private:
  using Source = std::function<int32_t(uint8_t* buffer, int32_t count)>;

  // Starts a stream from `source`, reads the length prefix and checks it.
  uint32_t StartArchive(Source source);
  // Runs `decode` and turns its decoding failures into false with LastError() set. An
  // EPayloadFileError passes through.
  template <typename Decode>
  bool Decoding(Decode decode);

  Source source_;  // the current input; set by each DecompressStream and DecompressFile
  TCompressFailure lastError_;
};

}  // namespace velmora::payload
