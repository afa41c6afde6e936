// velmora-pack inspect: the layout of a setup's payload region and of the archive inside it.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Commands.h"
#include "HostPath.h"
#include "PackError.h"
#include "PeImage.h"
#include "payload/CompressErrors.h"
#include "payload/LZMADecompressor.h"
#include "payload/PayloadFormat.h"
#include "payload/UCovert.h"
#include "platform/SysFile.h"

namespace velmora::pack {

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054B50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr size_t kDecodeChunk = 1 << 20;

// Entry count from the end record found in the archive's last bytes, or -1 if there is none.
long EntryCount(const std::vector<uint8_t>& tail) {
  if (tail.size() < kEndRecordSize) return -1;
  for (size_t i = tail.size() - kEndRecordSize + 1; i-- > 0;) {
    const uint8_t* p = tail.data() + i;
    if (payload::ReadLE32(p) != kEndRecordSignature) continue;
    const size_t commentSize = size_t(p[20] | p[21] << 8);
    if (i + kEndRecordSize + commentSize == tail.size()) return long(p[10] | p[11] << 8);
  }
  return -1;
}

}  // namespace

void Inspect(const std::string& setup) {
  sys::File file = sys::File::Open(AnsiPath(setup), sys::OpenMode::kReadShared);
  if (!file) throw PackError(setup + ": cannot open: " + std::strerror(errno));
  const int64_t fileSize = file.Size();
  const uint32_t regionSize = payload::ReadRegionSize(file);
  if (regionSize == 0 || int64_t{regionSize} > fileSize) {
    throw PackError(setup + ": no valid payload trailer (the last 4 bytes do not give a region size between 9 and the file size)");
  }
  const int64_t imageEnd = fileSize - regionSize;
  const auto peEnd = PeImageEnd(file);

  std::printf("setup:            %s\n", setup.c_str());
  std::printf("file size:        %" PRId64 "\n", fileSize);
  std::printf("image end (E):    %" PRId64, imageEnd);
  if (!peEnd) {
    std::printf("  (not a PE image)\n");
  } else if (int64_t(*peEnd) == imageEnd) {
    std::printf("  (end of the last section)\n");
  } else {
    std::printf("  (differs from the last section's end, %" PRIu64 ")\n", *peEnd);
  }
  std::printf("region size (N):  %" PRIu32 "\n", regionSize);

  // The decoder pulls the block through this callback, which stops at the trailer.
  int64_t blockLeft = regionSize - payload::kTrailerSize;
  if (file.Seek(imageEnd, sys::SeekFrom::kBegin) < 0) throw PackError(setup + ": seek failed");
  payload::TLZMADecompressor decoder([&](uint8_t* buffer, int32_t count) -> int32_t {
    const int32_t want = blockLeft < count ? int32_t(blockLeft) : count;
    const size_t got = file.Read(buffer, size_t(want));
    blockLeft -= int64_t(got);
    return int32_t(got);
  });
  try {
    uint8_t prefix[payload::kLengthPrefixSize];
    decoder.ReadDecompressed(prefix, sizeof prefix);
    const payload::LzmaHeader& h = decoder.Header();
    std::printf("properties:       0x%02X (lc %u, lp %u, pb %u)\n", h.properties, h.lc, h.lp, h.pb);
    std::printf("dictionary size:  %" PRIu32 "\n", h.dictionarySize);
    const uint32_t length = payload::ReadLE32(prefix);
    std::printf("archive length:   %" PRIu32 "\n", length);
    if (length > payload::kMaxArchiveSize) throw PackError("archive length is 2 GiB or more");

    // Only the last bytes matter for the end record; decode the rest in chunks and let it pass.
    const size_t keep = kEndRecordSize + kMaxCommentSize;
    std::vector<uint8_t> chunk(kDecodeChunk);
    std::vector<uint8_t> tail;
    for (uint32_t left = length; left > 0;) {
      const size_t n = left < chunk.size() ? left : chunk.size();
      decoder.ReadDecompressed(chunk.data(), n);
      tail.insert(tail.end(), chunk.begin(), chunk.begin() + long(n));
      if (tail.size() > 2 * keep) tail.erase(tail.begin(), tail.end() - long(keep));
      left -= uint32_t(n);
    }
    const long entries = EntryCount(tail);
    if (entries < 0) throw PackError(setup + ": the archive has no end of central directory record");
    std::printf("entries:          %ld\n", entries);
  } catch (const payload::ECompressError& e) {
    throw PackError(setup + ": " + e.ClassName() + ": " + ShowText(e.what()));
  }
}

}  // namespace velmora::pack
