// Where a setup's appended region ends, read from the PE headers. OS-independent.
#include "payload/PeHeaders.h"

#include "platform/ByteOrder.h"

namespace velmora::payload {

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderOffsetField = 0x3C;  // e_lfanew: where "PE\0\0" is
constexpr uint32_t kPeSignature = 0x00004550;   // "PE\0\0"
constexpr size_t kSignatureSize = 4;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kCoffSectionCountField = 2;
constexpr size_t kCoffOptionalSizeField = 16;

// The optional header's magic, and where its data directory count and directories are.
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kPe32DirectoryCountField = 92;
constexpr size_t kPe32PlusDirectoryCountField = 108;
constexpr size_t kDirectoryEntrySize = 8;
constexpr uint32_t kSecurityDirectory = 4;

}  // namespace

std::optional<PeHeaders> ParsePeHeaders(const uint8_t* head, size_t headSize) noexcept {
  if (headSize > kPeHeadSize) headSize = kPeHeadSize;
  if (headSize < kDosHeaderSize || head[0] != 'M' || head[1] != 'Z') return std::nullopt;
  // All arithmetic is on 64 bits, so an offset near 4 GiB cannot wrap into the head.
  const uint64_t signatureAt = ReadLE32(head + kNewHeaderOffsetField);
  const uint64_t coffAt = signatureAt + kSignatureSize;
  const uint64_t optionalAt = coffAt + kCoffHeaderSize;
  if (optionalAt + 2 > headSize || ReadLE32(head + signatureAt) != kPeSignature) return std::nullopt;

  PeHeaders pe;
  pe.coffAt = static_cast<uint32_t>(coffAt);
  pe.sectionCount = ReadLE16(head + coffAt + kCoffSectionCountField);
  const uint16_t optionalSize = ReadLE16(head + coffAt + kCoffOptionalSizeField);
  pe.sectionTableAt = optionalAt + optionalSize;

  const uint16_t magic = ReadLE16(head + optionalAt);
  size_t countField = 0;
  if (magic == kPe32Magic) {
    countField = kPe32DirectoryCountField;
  } else if (magic == kPe32PlusMagic) {
    countField = kPe32PlusDirectoryCountField;
  } else {
    return std::nullopt;
  }
  // The directory must be counted, lie inside the optional header as its size field gives it, and
  // lie inside the head.
  const uint64_t entryOffset = countField + 4 + kSecurityDirectory * kDirectoryEntrySize;
  const uint64_t entryAt = optionalAt + entryOffset;
  if (optionalAt + countField + 4 <= headSize && ReadLE32(head + optionalAt + countField) > kSecurityDirectory &&
      entryOffset + kDirectoryEntrySize <= optionalSize && entryAt + kDirectoryEntrySize <= headSize) {
    pe.securityEntryAt = static_cast<size_t>(entryAt);
  }
  return pe;
}

RegionEnd FindRegionEnd(const uint8_t* head, size_t headSize, uint64_t fileSize) noexcept {
  RegionEnd end;
  end.offset = fileSize;
  const std::optional<PeHeaders> pe = ParsePeHeaders(head, headSize);
  if (!pe || !pe->securityEntryAt) return end;
  CertificateDirectory directory;
  directory.offset = ReadLE32(head + *pe->securityEntryAt);
  directory.size = ReadLE32(head + *pe->securityEntryAt + 4);
  if (directory.offset == 0 && directory.size == 0) return end;
  end.directory = directory;
  if (directory.offset != 0 && directory.size != 0 && uint64_t{directory.offset} + directory.size == fileSize) {
    end.offset = directory.offset;
    end.rule = RegionEndRule::kCertificateTable;
  }
  return end;
}

}  // namespace velmora::payload
