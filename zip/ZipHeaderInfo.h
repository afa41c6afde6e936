// One catalogue entry of the ZIP engine, read from its central directory header. OS-independent.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "zip/Streams.h"
#include "zip/ZipFormat.h"

namespace velmora::zip {

enum class TOEMConvert { oemAlways, oemNever, oemFlexible };

struct TZip64Record {
  uint64_t uncompressedSize = 0;
  uint64_t compressedSize = 0;
  uint64_t localHeaderOffset = 0;
  uint32_t diskNumberStart = 0;
};

// The 0x9901 block's 7 data bytes, kept as they are.
struct TAesRecord {
  uint16_t vendorVersion = 0;
  uint8_t vendorId[2] = {0, 0};
  uint8_t strength = 0;
  uint16_t method = 0;
};

struct TUnicodePathRecord {
  uint16_t size = 0;
  uint8_t version = 0;
  uint32_t nameCrc = 0;
};

// Replaces the stream with the next part of a spanned archive; false when there is none.
using TNextPartFunction = std::function<bool(TStream*& stream)>;

// The MS-DOS date (high 16 bits) and time (low 16 bits) with every field clamped into range.
uint32_t ClampDosDateTime(uint32_t dateTime);

class TZipHeaderInfo {
 public:
  uint16_t versionMadeBy = 45;
  uint16_t versionNeeded = 20;
  uint16_t flag = 0;
  uint32_t dateTime = 0;  // time in the low 16 bits, date in the high 16 bits
  uint32_t crc32 = 0xFFFFFFFF;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint16_t fileNameLength = 0;
  uint16_t centralExtraLength = 0;
  uint16_t localExtraLength = 0;
  uint16_t fileCommentLength = 0;
  uint16_t diskNumberStart = 0;
  uint16_t internalAttributes = 1;
  uint32_t externalAttributes = 32;
  uint32_t relativeOffset = 0;
  int64_t centralOffset = 0;        // archive position of the central header
  std::string fileName;             // after the last "\"
  std::string directory;            // up to and including the last "\", or empty
  std::optional<TZip64Record> zip64;
  std::optional<TAesRecord> aes;
  std::optional<TUnicodePathRecord> unicodePath;
  uint8_t encryptionStrength = 0;
  // The header named method 99, WinZip AES; compressionMethod then holds the AES record's method.
  bool aesMethod = false;
  std::optional<std::string> fileComment;  // loaded on first request
  bool matchFlag = false;
  bool fileIsOK = false;
  bool selected = false;
  TOEMConvert oemConvert = TOEMConvert::oemNever;
  int64_t originalExtraOffset = 0;  // archive position of the central extra field
  uint16_t originalCentralExtraLength = 0;
  uint16_t originalZip64ExtraLength = 0;  // the 0x0001 block's size + 4
  uint16_t compressionMethod = 8;

  uint64_t CompressedSize64() const;
  uint64_t UncompressedSize64() const;
  uint64_t LocalHeaderOffset64() const;
  uint32_t DiskNumberStart32() const;
  void SetCompressedSize64(uint64_t size);
  void SetUncompressedSize64(uint64_t size);
  void SetLocalHeaderOffset64(uint64_t offset);

  // An entry is encrypted when flag bit 0 says so or its method was 99: a WinZip AES entry is
  // encrypted even with bit 0 clear.
  bool Encrypted() const { return (flag & kFlagEncrypted) != 0 || aesMethod; }
  // Encrypted with WinZip AES rather than the traditional cipher.
  bool AesEncrypted() const { return aesMethod; }
  std::string StoredPath() const { return directory + fileName; }
  // Sets directory and file name from a "\"-separated path and keeps the name length in step.
  void SetPath(const std::string& path);

  // Reads the central header at the stream's position. On failure the stream is back where it was.
  bool ReadCentralHeader(TStream*& stream, const TNextPartFunction& nextPart);
  // Reads a local header at the stream's position, as the rebuild of a damaged catalogue does: the
  // header's fields, its name, and its extra field parsed. The stream ends after the extra field.
  // False when no complete local header is there.
  bool ReadLocalHeader(TStream& stream);
  // Maps an OEM name to ANSI when the mode says so and the round trip keeps every byte.
  bool ConvertOemName(std::string& name) const;

 private:
  // Notes whether the method just read is 99 and, with an AES record, takes the encryption strength
  // and the real method from it. Called once, right after the header's fields are read.
  void ApplyAesRecord();
  // Walks `length` bytes of extra field at the stream's position.
  void ParseExtraFields(TStream& stream, uint16_t length);
};

}  // namespace velmora::zip
