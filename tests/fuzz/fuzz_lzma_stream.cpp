// Arbitrary bytes as a payload block: DecompressStream must either give the whole archive its
// length field promises or fail with the output stream as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "payload/LZMADeCompressReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velmora::payload;
  TMemoryStream input;
  input.Write(data, size);
  // Output already holding bytes, positioned inside them, as a caller may hand it over.
  static const uint8_t kPrefix[] = {'v', 'e', 'l', 'm'};
  TMemoryStream output;
  output.Write(kPrefix, sizeof kPrefix);
  output.SetPosition(2);

  TLZMADeCompressReader reader;
  if (reader.DecompressStream(input, output)) {
    const size_t end = output.Position();
    if (end < 2 || output.Size() != (end > sizeof kPrefix ? end : sizeof kPrefix)) std::abort();
  } else {
    if (output.Size() != sizeof kPrefix || output.Position() != 2) std::abort();
    if (reader.LastError().className.empty()) std::abort();
  }
  // The bytes before the position are never touched.
  if (std::memcmp(output.Memory(), kPrefix, 2) != 0) std::abort();
  return 0;
}
