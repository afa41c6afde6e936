// The end-of-central-directory record of a ZIP archive. OS-independent.
#include "zip/EndCentral.h"

#include <algorithm>
#include <vector>

#include "platform/ByteOrder.h"
#include "zip/ZipFormat.h"

namespace velmora::zip {

uint32_t TEndCentral::ThisDisk() const { return thisDisk16 == 0xFFFF && zip64End ? zip64End->thisDisk : thisDisk16; }

uint32_t TEndCentral::StartDisk() const {
  return startDisk16 == 0xFFFF && zip64End ? zip64End->startDisk : startDisk16;
}

uint64_t TEndCentral::TotalEntries() const {
  return totalEntries16 == 0xFFFF && zip64End ? zip64End->totalEntries : totalEntries16;
}

uint64_t TEndCentral::CentralOffset() const {
  return centralOffset32 == 0xFFFFFFFF && zip64End ? zip64End->centralOffset : centralOffset32;
}

void TEndCentral::Reset() {
  signature = kEndCentralSignature;
  thisDisk16 = startDisk16 = entriesThisDisk = totalEntries16 = commentLength = 0;
  centralSize = centralOffset32 = 0;
  comment.reset();
  commentPosition = 0;
  modified = false;
  zip64End.reset();
  zip64Locator.reset();
}

bool TEndCentral::ReadEndOfCentral(TStream& stream) {
  const int64_t size = stream.GetSize();
  if (size == 0) return true;  // an empty archive
  if (size < int64_t{kEndCentralSize}) return false;

  // The record plus the longest comment.
  const size_t span = size_t(std::min<int64_t>(kEndCentralSize + kMaxCommentSize, size));
  std::vector<uint8_t> tail(span);
  const int64_t tailStart = size - int64_t(span);
  stream.Seek(tailStart, TSeekOrigin::soBeginning);
  if (stream.Read(tail.data(), span) != span) return false;

  // The match nearest the end wins, even inside a comment.
  size_t at = span - kEndCentralSize + 1;
  do {
    if (at-- == 0) return false;
  } while (tail[at] != 0x50 || ReadLE32(&tail[at]) != kEndCentralSignature);

  const uint8_t* r = &tail[at];
  signature = ReadLE32(r);
  thisDisk16 = ReadLE16(r + 4);
  startDisk16 = ReadLE16(r + 6);
  entriesThisDisk = ReadLE16(r + 8);
  totalEntries16 = ReadLE16(r + 10);
  centralSize = ReadLE32(r + 12);
  centralOffset32 = ReadLE32(r + 16);
  commentLength = ReadLE16(r + 20);
  commentPosition = tailStart + int64_t(at) + kEndCentralSize;
  // The comment comes from the bytes just read, so it is always the one in the file that holds
  // the record: the last part of a multi-part set, or a companion file. A comment that claims
  // more than the file holds is cut short at its end.
  const size_t after = at + kEndCentralSize;
  comment = std::string(reinterpret_cast<const char*>(&tail[after]), std::min<size_t>(commentLength, span - after));

  if (at >= kZip64LocatorSize && ReadLE32(r - kZip64LocatorSize) == kZip64LocatorSignature) {
    const uint8_t* l = r - kZip64LocatorSize;
    zip64Locator = TZip64Locator{ReadLE32(l), ReadLE32(l + 4), ReadLE64(l + 8), ReadLE32(l + 16)};
    // Neither the zip64 record's signature nor the bytes read are checked.
    uint8_t z[kZip64EndSize] = {};
    stream.Seek(int64_t(zip64Locator->endRecordOffset), TSeekOrigin::soBeginning);
    stream.Read(z, sizeof z);
    zip64End = TZip64EndRecord{ReadLE32(z),      ReadLE64(z + 4),  ReadLE16(z + 12), ReadLE16(z + 14),
                               ReadLE32(z + 16), ReadLE32(z + 20), ReadLE64(z + 24), ReadLE64(z + 32),
                               ReadLE64(z + 40), ReadLE64(z + 48)};
  }
  return true;
}

}  // namespace velmora::zip
