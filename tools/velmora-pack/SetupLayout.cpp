// A setup's payload region as the setup program finds it, and the archive it decodes to.
#include "SetupLayout.h"

#include <cinttypes>
#include <vector>

#include "HostPath.h"
#include "PackError.h"
#include "payload/CompressErrors.h"
#include "payload/LZMADecompressor.h"
#include "payload/PayloadFormat.h"

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

std::string Number(uint64_t n) { return std::to_string(n); }

}  // namespace

const char* RuleText(payload::RegionEndRule rule) {
  return rule == payload::RegionEndRule::kCertificateTable ? "start of the certificate table" : "end of the file";
}

std::string NoTrailerReason(const payload::RegionPlace& region) {
  const payload::RegionEnd& end = region.end;
  std::string why;
  if (end.rule == payload::RegionEndRule::kCertificateTable) {
    why = "the 4 bytes in front of the certificate table at " + Number(end.offset) +
          " do not give a region size between 9 and " + Number(end.offset) +
          "; a signing tool that pads the file before its table hides the trailer";
  } else {
    why = "the last 4 bytes do not give a region size between 9 and the file size";
    if (end.directory) {
      why += "; the certificate directory (offset " + Number(end.directory->offset) + ", size " +
             Number(end.directory->size) + ") does not end at the end of the file (" + Number(end.offset) +
             " bytes) and was not used";
    }
  }
  return why;
}

payload::RegionPlace FindRegion(sys::File& file, const std::string& setup) {
  const payload::RegionPlace region = payload::LocateRegion(file);
  if (region.size == 0) throw PackError(setup + ": no valid payload trailer (" + NoTrailerReason(region) + ")");
  return region;
}

DecodedPayload DecodeRegion(sys::File& file, const payload::RegionPlace& region, const std::string& setup,
                            void (*onHeader)(const DecodedPayload&)) {
  // The decoder pulls the block through this callback, which stops at the trailer.
  int64_t blockLeft = int64_t{region.size} - payload::kTrailerSize;
  if (file.Seek(int64_t(region.Start()), sys::SeekFrom::kBegin) < 0) throw PackError(setup + ": seek failed");
  payload::TLZMADecompressor decoder([&](uint8_t* buffer, int32_t count) -> int32_t {
    const int32_t want = blockLeft < count ? int32_t(blockLeft) : count;
    const size_t got = file.Read(buffer, size_t(want));
    blockLeft -= int64_t(got);
    return int32_t(got);
  });
  DecodedPayload decoded;
  try {
    uint8_t prefix[payload::kLengthPrefixSize];
    decoder.ReadDecompressed(prefix, sizeof prefix);
    decoded.header = decoder.Header();
    decoded.archiveLength = payload::ReadLE32(prefix);
    if (onHeader != nullptr) onHeader(decoded);
    if (decoded.archiveLength > payload::kMaxArchiveSize) throw PackError(setup + ": archive length is 2 GiB or more");

    // Only the last bytes matter for the end record; decode the rest in chunks and let it pass.
    const size_t keep = kEndRecordSize + kMaxCommentSize;
    std::vector<uint8_t> chunk(kDecodeChunk);
    std::vector<uint8_t> tail;
    for (uint32_t left = decoded.archiveLength; left > 0;) {
      const size_t n = left < chunk.size() ? left : chunk.size();
      decoder.ReadDecompressed(chunk.data(), n);
      tail.insert(tail.end(), chunk.begin(), chunk.begin() + long(n));
      if (tail.size() > 2 * keep) tail.erase(tail.begin(), tail.end() - long(keep));
      left -= uint32_t(n);
    }
    decoded.entries = EntryCount(tail);
    if (decoded.entries < 0) throw PackError(setup + ": the archive has no end of central directory record");
  } catch (const payload::ECompressError& e) {
    throw PackError(setup + ": " + e.ClassName() + ": " + ShowText(e.what()));
  }
  return decoded;
}

}  // namespace velmora::pack
