// One catalogue entry of the ZIP engine. OS-independent.
#include "zip/ZipHeaderInfo.h"

#include <vector>

#include "platform/ByteOrder.h"
#include "platform/SysText.h"
#include "zip/AnsiText.h"
#include "zip/ZipFormat.h"

namespace velmora::zip {

namespace {

constexpr uint32_t kAllOnes32 = 0xFFFFFFFF;
constexpr uint16_t kAllOnes16 = 0xFFFF;

// The name of a header as the engine shows it: "/" as "\", decoded from OEM or UTF-8 to ANSI.
std::string DecodeName(std::string raw, const TZipHeaderInfo& entry) {
  for (char& c : raw) {
    if (c == '/') c = '\\';  // never a trail byte in code page 936
  }
  if (entry.ConvertOemName(raw)) return raw;
  return IsValidUtf8(raw) ? sys::Utf8ToAnsi(raw) : std::string();
}

}  // namespace

uint32_t ClampDosDateTime(uint32_t dateTime) {
  uint32_t seconds2 = dateTime & 0x1F;
  uint32_t minutes = dateTime >> 5 & 0x3F;
  uint32_t hours = dateTime >> 11 & 0x1F;
  uint32_t day = dateTime >> 16 & 0x1F;
  uint32_t month = dateTime >> 21 & 0x0F;
  uint32_t year = dateTime >> 25 & 0x7F;
  if (seconds2 < 30 && minutes < 60 && hours <= 23 && day != 0 && month >= 1 && month <= 12 && year < 120) {
    return dateTime;
  }
  if (seconds2 >= 30) seconds2 = 29;
  if (minutes >= 60) minutes = 59;
  if (hours > 23) hours = 23;
  if (day == 0) day = 1;
  if (month == 0) month = 1;
  if (month > 12) month = 12;
  if (year >= 120) year = 119;
  return year << 25 | month << 21 | day << 16 | hours << 11 | minutes << 5 | seconds2;
}

uint64_t TZipHeaderInfo::CompressedSize64() const {
  return compressedSize == kAllOnes32 && zip64 ? zip64->compressedSize : compressedSize;
}

uint64_t TZipHeaderInfo::UncompressedSize64() const {
  return uncompressedSize == kAllOnes32 && zip64 ? zip64->uncompressedSize : uncompressedSize;
}

uint64_t TZipHeaderInfo::LocalHeaderOffset64() const {
  return relativeOffset == kAllOnes32 && zip64 ? zip64->localHeaderOffset : relativeOffset;
}

uint32_t TZipHeaderInfo::DiskNumberStart32() const {
  return diskNumberStart == kAllOnes16 && zip64 ? zip64->diskNumberStart : diskNumberStart;
}

namespace {

// Keeps a value in the fixed field when it fits, else in the zip64 record, created on demand.
template <typename Field>
void SetWide(uint32_t& fixed, std::optional<TZip64Record>& zip64, Field TZip64Record::*wide, uint64_t value) {
  if (value < kAllOnes32) {
    fixed = static_cast<uint32_t>(value);
    return;
  }
  if (!zip64) zip64.emplace();
  (*zip64).*wide = value;
  fixed = kAllOnes32;
}

}  // namespace

void TZipHeaderInfo::SetCompressedSize64(uint64_t size) { SetWide(compressedSize, zip64, &TZip64Record::compressedSize, size); }

void TZipHeaderInfo::SetUncompressedSize64(uint64_t size) {
  SetWide(uncompressedSize, zip64, &TZip64Record::uncompressedSize, size);
}

void TZipHeaderInfo::SetLocalHeaderOffset64(uint64_t offset) {
  SetWide(relativeOffset, zip64, &TZip64Record::localHeaderOffset, offset);
}

void TZipHeaderInfo::SetPath(const std::string& path) {
  directory = ExtractFilePath(path);
  fileName = ExtractFileName(path);
  fileNameLength = static_cast<uint16_t>(directory.size() + fileName.size());
}

bool TZipHeaderInfo::ConvertOemName(std::string& name) const {
  if (flag & kFlagUtf8) return false;
  const bool convert = oemConvert == TOEMConvert::oemAlways ||
                       (oemConvert == TOEMConvert::oemFlexible && (versionMadeBy & 0x0B00) != 0x0B00);
  if (!convert) return false;
  std::string ansi, back;
  if (!sys::OemToAnsi(name, ansi) || !sys::AnsiToOem(ansi, back) || !SameTextAscii(back, name)) return false;
  name = ansi;
  return true;
}

bool TZipHeaderInfo::ReadCentralHeader(TStream*& stream, const TNextPartFunction& nextPart) {
  const int64_t start = stream->Position();
  uint8_t h[kCentralHeaderSize];
  size_t got = stream->Read(h, sizeof h);
  if (got < sizeof h && nextPart && (got == 0 || (got >= 4 && ReadLE32(h) == kCentralHeaderSignature))) {
    if (nextPart(stream)) got += stream->Read(h + got, sizeof h - got);
  }
  if (got != sizeof h || ReadLE32(h) != kCentralHeaderSignature) {
    stream->Seek(start, TSeekOrigin::soBeginning);
    return false;
  }
  const uint16_t nameLength = ReadLE16(h + 28);
  std::string raw(nameLength, '\0');
  if (stream->Read(&raw[0], nameLength) != nameLength) {
    stream->Seek(start, TSeekOrigin::soBeginning);
    return false;
  }

  versionMadeBy = ReadLE16(h + 4);
  versionNeeded = ReadLE16(h + 6);
  flag = ReadLE16(h + 8);
  compressionMethod = ReadLE16(h + 10);
  dateTime = ClampDosDateTime(ReadLE32(h + 12));
  crc32 = ReadLE32(h + 16);
  compressedSize = ReadLE32(h + 20);
  uncompressedSize = ReadLE32(h + 24);
  fileNameLength = nameLength;
  centralExtraLength = ReadLE16(h + 30);
  fileCommentLength = ReadLE16(h + 32);
  diskNumberStart = ReadLE16(h + 34);
  internalAttributes = ReadLE16(h + 36);
  externalAttributes = ReadLE32(h + 38);
  relativeOffset = ReadLE32(h + 42);
  const std::string name = DecodeName(std::move(raw), *this);
  directory = ExtractFilePath(name);
  fileName = ExtractFileName(name);
  fileComment.reset();
  matchFlag = false;
  selected = false;
  centralOffset = start;

  if (centralExtraLength != 0) {
    originalExtraOffset = stream->Position();
    originalCentralExtraLength = centralExtraLength;
    ParseExtraFields(*stream, centralExtraLength);
    stream->Seek(originalExtraOffset, TSeekOrigin::soBeginning);
  }
  ApplyAesRecord();
  return true;
}

void TZipHeaderInfo::ApplyAesRecord() {
  aesMethod = compressionMethod == kMethodAes;
  if (!aesMethod || !aes) return;
  if (aes->strength >= 1 && aes->strength <= 3) encryptionStrength = aes->strength;
  compressionMethod = aes->method;
}

bool TZipHeaderInfo::ReadLocalHeader(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t h[kLocalHeaderSize];
  if (stream.Read(h, sizeof h) != sizeof h || ReadLE32(h) != kLocalHeaderSignature) return false;
  const uint16_t nameLength = ReadLE16(h + 26);
  std::string raw(nameLength, '\0');
  if (stream.Read(&raw[0], nameLength) != nameLength) return false;
  versionNeeded = ReadLE16(h + 4);
  flag = ReadLE16(h + 6);
  compressionMethod = ReadLE16(h + 8);
  dateTime = ClampDosDateTime(ReadLE32(h + 10));
  crc32 = ReadLE32(h + 14);
  compressedSize = ReadLE32(h + 18);
  uncompressedSize = ReadLE32(h + 22);
  fileNameLength = nameLength;
  localExtraLength = ReadLE16(h + 28);
  relativeOffset = static_cast<uint32_t>(start);
  if (start >= 0xFFFFFFFF) SetLocalHeaderOffset64(uint64_t(start));
  const std::string name = DecodeName(std::move(raw), *this);
  directory = ExtractFilePath(name);
  fileName = ExtractFileName(name);
  if (localExtraLength != 0) {
    const int64_t extraStart = stream.Position();
    ParseExtraFields(stream, localExtraLength);
    stream.Seek(extraStart + localExtraLength, TSeekOrigin::soBeginning);
  }
  ApplyAesRecord();
  return true;
}

void TZipHeaderInfo::ParseExtraFields(TStream& stream, uint16_t length) {
  std::vector<uint8_t> extra(length);
  extra.resize(stream.Read(extra.data(), extra.size()));
  // Each block: tag u16, size u16, data. A block that claims more than is left ends the walk.
  for (size_t at = 0; at + 4 <= extra.size();) {
    const uint16_t tag = ReadLE16(&extra[at]);
    const uint16_t size = ReadLE16(&extra[at + 2]);
    const uint8_t* data = &extra[at + 4];
    if (at + 4 + size > extra.size()) break;
    at += 4 + size;
    if (tag == kTagZip64) {
      TZip64Record z = zip64.value_or(TZip64Record{});
      size_t p = 0;
      auto take64 = [&](bool wanted, uint64_t& into) {
        if (wanted && p + 8 <= size) {
          into = ReadLE64(data + p);
          p += 8;
        }
      };
      take64(uncompressedSize == kAllOnes32, z.uncompressedSize);
      take64(compressedSize == kAllOnes32, z.compressedSize);
      take64(relativeOffset == kAllOnes32, z.localHeaderOffset);
      if (diskNumberStart == kAllOnes16 && p + 4 <= size) z.diskNumberStart = ReadLE32(data + p);
      zip64 = z;
      originalZip64ExtraLength = static_cast<uint16_t>(size + 4);
    } else if (tag == kTagUnicodePath && size >= 5) {
      unicodePath = TUnicodePathRecord{size, data[0], ReadLE32(data + 1)};
      std::string utf8(reinterpret_cast<const char*>(data + 5), size - 5);
      // Converted like a normal name, so the catalogue has one separator.
      for (char& c : utf8) {
        if (c == '/') c = '\\';
      }
      const std::string name = IsValidUtf8(utf8) ? sys::Utf8ToAnsi(utf8) : std::string();
      directory = ExtractFilePath(name);
      fileName = ExtractFileName(name);
    } else if (tag == kTagAes && size >= kAesDataSize) {
      TAesRecord a;
      a.vendorVersion = ReadLE16(data);
      a.vendorId[0] = data[2];
      a.vendorId[1] = data[3];
      a.strength = data[4];
      a.method = ReadLE16(data + 5);
      aes = a;
    }
  }
}

}  // namespace velmora::zip
