// Reading where a PE image ends, from its section table.
#include "PeImage.h"

#include "payload/PayloadFormat.h"
#include "payload/PeHeaders.h"

namespace velmora::pack {

namespace {

constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kRawSizeField = 16;
constexpr uint32_t kRawPointerField = 20;

bool ReadAt(sys::File& file, uint64_t offset, void* buffer, size_t size) {
  return file.Seek(static_cast<int64_t>(offset), sys::SeekFrom::kBegin) >= 0 && file.Read(buffer, size) == size;
}

}  // namespace

std::optional<uint64_t> PeImageEnd(sys::File& file) {
  uint8_t head[payload::kPeHeadSize];
  if (file.Seek(0, sys::SeekFrom::kBegin) < 0) return std::nullopt;
  const std::optional<payload::PeHeaders> pe = payload::ParsePeHeaders(head, file.Read(head, sizeof head));
  if (!pe) return std::nullopt;
  uint64_t end = 0;
  for (uint16_t i = 0; i < pe->sectionCount; ++i) {
    uint8_t s[kSectionHeaderSize];
    if (!ReadAt(file, pe->sectionTableAt + uint64_t{i} * kSectionHeaderSize, s, sizeof s)) return std::nullopt;
    const uint32_t rawSize = payload::ReadLE32(s + kRawSizeField);
    const uint32_t rawPointer = payload::ReadLE32(s + kRawPointerField);
    if (rawSize != 0 && uint64_t{rawPointer} + rawSize > end) end = uint64_t{rawPointer} + rawSize;
  }
  return end;
}

}  // namespace velmora::pack
