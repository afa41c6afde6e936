// Copying the compressed block out of a setup executable. OS-independent.
#include "payload/UCovert.h"

#include <memory>
#include <new>

#include "payload/PayloadFormat.h"
#include "platform/SysFile.h"
#include "platform/SysFs.h"

namespace velmora::payload {

RegionPlace LocateRegion(sys::File& setup) {
  RegionPlace place;
  const int64_t fileSize = setup.Size();
  if (fileSize < 0 || setup.Seek(0, sys::SeekFrom::kBegin) < 0) return place;
  uint8_t head[kPeHeadSize];
  const size_t headSize = setup.Read(head, sizeof head);
  place.end = FindRegionEnd(head, headSize, static_cast<uint64_t>(fileSize));

  uint8_t trailer[kTrailerSize];
  if (place.end.offset < kTrailerSize) return place;
  if (setup.Seek(static_cast<int64_t>(place.end.offset - kTrailerSize), sys::SeekFrom::kBegin) < 0) return place;
  if (setup.Read(trailer, sizeof trailer) != sizeof trailer) return place;
  const uint32_t regionSize = ReadLE32(trailer);
  // Below the minimum there is no room for the LZMA header; above the maximum the trailer would be
  // a negative offset; beyond the region's end the region would start before the file.
  if (regionSize < kMinRegionSize || regionSize > kMaxRegionSize || regionSize > place.end.offset) return place;
  place.size = regionSize;
  return place;
}

bool CopyPayloadOut(const std::string& executablePath, const std::string& destinationPath) noexcept {
  bool created = false;
  try {
    sys::File exe = sys::File::Open(executablePath, sys::OpenMode::kReadShared);
    if (!exe) return false;

    const RegionPlace region = LocateRegion(exe);
    if (region.size == 0) return false;
    if (exe.Seek(static_cast<int64_t>(region.Start()), sys::SeekFrom::kBegin) < 0) return false;
    std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kCopyChunkSize]);
    if (!chunk) return false;

    sys::File out = sys::File::Open(destinationPath, sys::OpenMode::kCreateTruncate);
    if (!out) return false;
    created = true;
    bool copied = true;
    for (size_t left = region.size - kTrailerSize; copied && left > 0;) {
      const size_t count = left < kCopyChunkSize ? left : kCopyChunkSize;
      copied = exe.Read(chunk.get(), count) == count && out.Write(chunk.get(), count);
      left -= count;
    }
    if (out.Close() && copied) return true;
  } catch (...) {
  }
  if (created) sys::RemoveFile(destinationPath);
  return false;
}

}  // namespace velmora::payload
