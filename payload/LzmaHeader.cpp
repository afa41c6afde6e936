// The 5-byte header of a raw LZMA1 block. OS-independent.
#include "payload/LzmaHeader.h"

#include "payload/CompressErrors.h"
#include "payload/PayloadFormat.h"

namespace velmora::payload {

namespace {
constexpr int kErrorBadProperties = 3;
constexpr int kErrorDictionaryTooLarge = 7;
}  // namespace

LzmaHeader ParseLzmaHeader(const uint8_t bytes[5]) {
  LzmaHeader h;
  h.properties = bytes[0];
  if (h.properties > kMaxPropertiesByte) throw ECompressDataError(kErrorBadProperties);
  h.pb = h.properties / 45;
  h.lp = h.properties % 45 / 9;
  h.lc = h.properties % 9;
  h.dictionarySize = ReadLE32(bytes + 1);
  if (h.dictionarySize == 0) h.dictionarySize = 1;
  if (h.dictionarySize > kMaxDictionarySize) throw ECompressDataError(kErrorDictionaryTooLarge);
  return h;
}

size_t LzmaModelSize(uint32_t lc, uint32_t lp) { return (1846 + (size_t{768} << (lc + lp))) * 2; }

}  // namespace velmora::payload
