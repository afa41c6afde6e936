// Decoding a whole length-prefixed payload. OS-independent.
#include "payload/LZMADeCompressReader.h"

#include <cstdio>
#include <new>

#include "payload/CompressErrors.h"
#include "payload/PayloadFormat.h"

namespace velmora::payload {

namespace {

// A length field of 2 GiB or more is negative as a signed count and cannot be honoured.
class ELengthError : public std::runtime_error {
 public:
  explicit ELengthError(uint32_t length) : std::runtime_error(Describe(length)) {}

 private:
  static std::string Describe(uint32_t length) {
    char text[96];
    std::snprintf(text, sizeof text, "archive length %u is 2 GiB or more", static_cast<unsigned>(length));
    return text;
  }
};

}  // namespace

TLZMADeCompressReader::TLZMADeCompressReader()
    : TLZMADecompressor([this](uint8_t* buffer, int32_t count) { return ReadInput(buffer, count); }) {}

int32_t TLZMADeCompressReader::ReadInput(uint8_t* buffer, int32_t count) {
  if (input_ == nullptr || count <= 0) return 0;
  return static_cast<int32_t>(input_->Read(buffer, static_cast<size_t>(count)));
}

bool TLZMADeCompressReader::DecompressStream(TMemoryStream& input, TMemoryStream& output) noexcept {
  lastError_ = {};
  const size_t outputSize = output.Size();
  const size_t outputPosition = output.Position();
  try {
    input_ = &input;
    input.SetPosition(0);
    uint8_t prefix[kLengthPrefixSize];
    ReadDecompressed(prefix, sizeof prefix);
    const uint32_t length = ReadLE32(prefix);
    if (length > kMaxArchiveSize) throw ELengthError(length);
    // Decoding straight into the output keeps the archive in memory once.
    if (length > 0) {
      uint8_t* target = output.Extend(length);
      ReadDecompressed(target, length);
      output.SetPosition(outputPosition + length);
    }
    return true;
  } catch (const ECompressError& e) {
    lastError_ = {e.ClassName(), e.what()};
  } catch (const ELengthError& e) {
    lastError_ = {"ERangeError", e.what()};
  } catch (const std::bad_alloc&) {
    lastError_ = {"EOutOfMemory", "Out of memory"};
  } catch (const std::exception& e) {
    lastError_ = {"Exception", e.what()};
  } catch (...) {
    lastError_ = {"Exception", "unknown error"};
  }
  try {
    output.SetSize(outputSize);
  } catch (...) {
  }
  output.SetPosition(outputPosition);
  return false;
}

}  // namespace velmora::payload
