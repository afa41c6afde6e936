// Reading where a PE image ends, from its section table.
#include "PeImage.h"

#include "payload/PayloadFormat.h"

namespace velmora::pack {

namespace {

constexpr uint32_t kDosHeaderSize = 64;
constexpr uint32_t kNewHeaderOffsetField = 0x3C;
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;

bool ReadAt(sys::File& file, uint64_t offset, void* buffer, size_t size) {
  return file.Seek(static_cast<int64_t>(offset), sys::SeekFrom::kBegin) >= 0 && file.Read(buffer, size) == size;
}

}  // namespace

std::optional<uint64_t> PeImageEnd(sys::File& file) {
  uint8_t dos[kDosHeaderSize];
  if (!ReadAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  const uint32_t peOffset = payload::ReadLE32(dos + kNewHeaderOffsetField);
  uint8_t coff[4 + kCoffHeaderSize];
  if (!ReadAt(file, peOffset, coff, sizeof coff) || payload::ReadLE32(coff) != kPeSignature) return std::nullopt;
  const uint16_t sections = ReadLE16(coff + 4 + 2);
  const uint16_t optionalHeaderSize = ReadLE16(coff + 4 + 16);
  uint64_t end = 0;
  const uint64_t table = uint64_t{peOffset} + sizeof coff + optionalHeaderSize;
  for (uint16_t i = 0; i < sections; ++i) {
    uint8_t s[kSectionHeaderSize];
    if (!ReadAt(file, table + uint64_t{i} * kSectionHeaderSize, s, sizeof s)) return std::nullopt;
    const uint32_t rawSize = payload::ReadLE32(s + 16);
    const uint32_t rawPointer = payload::ReadLE32(s + 20);
    if (rawSize != 0 && uint64_t{rawPointer} + rawSize > end) end = uint64_t{rawPointer} + rawSize;
  }
  return end;
}

}  // namespace velmora::pack
