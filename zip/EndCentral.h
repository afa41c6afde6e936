// The end-of-central-directory record of a ZIP archive, with its zip64 companions. OS-independent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zip/Streams.h"

namespace velmora::zip {

struct TZip64EndRecord {
  uint32_t signature = 0;
  uint64_t recordSize = 0;
  uint16_t versionMadeBy = 0;
  uint16_t versionNeeded = 0;
  uint32_t thisDisk = 0;
  uint32_t startDisk = 0;
  uint64_t entriesThisDisk = 0;
  uint64_t totalEntries = 0;
  uint64_t centralSize = 0;
  uint64_t centralOffset = 0;
};

struct TZip64Locator {
  uint32_t signature = 0;
  uint32_t endRecordDisk = 0;
  uint64_t endRecordOffset = 0;
  uint32_t totalDisks = 0;
};

class TEndCentral {
 public:
  TEndCentral() { Reset(); }

  uint32_t signature = 0;
  uint16_t thisDisk16 = 0;
  uint16_t startDisk16 = 0;
  uint16_t entriesThisDisk = 0;
  uint16_t totalEntries16 = 0;
  uint32_t centralSize = 0;
  uint32_t centralOffset32 = 0;
  uint16_t commentLength = 0;
  std::optional<std::string> comment;  // the archive comment, read with the record
  int64_t commentPosition = 0;         // the byte after the 22-byte record
  bool modified = false;
  std::optional<TZip64EndRecord> zip64End;
  std::optional<TZip64Locator> zip64Locator;

  // The zip64 values where the fixed fields hold all ones and the zip64 record exists.
  uint32_t ThisDisk() const;
  uint32_t StartDisk() const;
  uint64_t TotalEntries() const;
  uint64_t CentralOffset() const;

  void Reset();
  // Finds the record nearest the end of the archive, and the comment after it; see the .cpp for
  // the rules.
  bool ReadEndOfCentral(TStream& stream);
};

}  // namespace velmora::zip
