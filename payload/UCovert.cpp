// Copying the compressed block out of a setup executable. OS-independent.
#include "payload/UCovert.h"

#include <memory>
#include <new>

#include "payload/PayloadFormat.h"
#include "platform/SysFile.h"

namespace velmora::payload {

uint32_t ReadRegionSize(sys::File& setup) {
  uint8_t trailer[kTrailerSize];
  if (setup.Seek(-int64_t{kTrailerSize}, sys::SeekFrom::kEnd) < 0) return 0;
  if (setup.Read(trailer, sizeof trailer) != sizeof trailer) return 0;
  const uint32_t regionSize = ReadLE32(trailer);
  // Below the minimum there is no room for the LZMA header; above the maximum the trailer would be
  // a negative offset.
  if (regionSize < kMinRegionSize || regionSize > kMaxRegionSize) return 0;
  return regionSize;
}

bool CopyPayloadOut(const std::string& executablePath, const std::string& destinationPath) noexcept {
  try {
    sys::File exe = sys::File::Open(executablePath, sys::OpenMode::kReadShared);
    if (!exe) return false;

    const uint32_t regionSize = ReadRegionSize(exe);
    if (regionSize == 0) return false;

    // A region larger than the file makes this seek fail.
    if (exe.Seek(-int64_t{regionSize}, sys::SeekFrom::kEnd) < 0) return false;
    const size_t blockSize = regionSize - kTrailerSize;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockSize]);
    if (!block) return false;
    if (exe.Read(block.get(), blockSize) != blockSize) return false;
    exe.Close();

    sys::File out = sys::File::Open(destinationPath, sys::OpenMode::kCreateTruncate);
    if (!out) return false;
    if (!out.Write(block.get(), blockSize)) return false;
    return out.Close();
  } catch (...) {
    return false;
  }
}

}  // namespace velmora::payload
