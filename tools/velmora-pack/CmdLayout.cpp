// velmora-pack inspect: the layout of a setup's payload region and of the archive inside it.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "HostPath.h"
#include "PackError.h"
#include "PeImage.h"
#include "SetupLayout.h"
#include "payload/PayloadFormat.h"
#include "platform/SysFile.h"

namespace velmora::pack {

void Inspect(const std::string& setup) {
  sys::File file = sys::File::Open(AnsiPath(setup), sys::OpenMode::kReadShared);
  if (!file) throw PackError(setup + ": cannot open: " + std::strerror(errno));
  const int64_t fileSize = file.Size();
  const payload::RegionPlace region = FindRegion(file, setup);
  const payload::RegionEnd& end = region.end;
  const auto peEnd = PeImageEnd(file);

  std::printf("setup:            %s\n", setup.c_str());
  std::printf("file size:        %" PRId64 "\n", fileSize);
  if (end.directory) {
    std::printf("certificate table: offset %" PRIu32 ", size %" PRIu32 "%s\n", end.directory->offset,
                end.directory->size,
                end.rule == payload::RegionEndRule::kCertificateTable
                    ? ""
                    : "  (not used: it does not end at the end of the file)");
  }
  std::printf("region end:       %" PRIu64 "  (%s)\n", end.offset, RuleText(end.rule));
  const uint64_t regionStart = region.Start();
  std::printf("region start:     %" PRIu64, regionStart);
  if (!peEnd) {
    std::printf("  (not a PE image)\n");
  } else if (*peEnd == regionStart) {
    std::printf("  (end of the last section)\n");
  } else if (*peEnd < regionStart && regionStart - *peEnd < 8) {
    std::printf("  (%" PRIu64 " bytes of padding after the last section's end, %" PRIu64 ")\n", regionStart - *peEnd,
                *peEnd);
  } else {
    std::printf("  (differs from the last section's end, %" PRIu64 ")\n", *peEnd);
  }
  std::printf("region size (N):  %" PRIu32 "\n", region.size);

  const DecodedPayload decoded = DecodeRegion(file, region, setup, [](const DecodedPayload& d) {
    std::printf("properties:       0x%02X (lc %u, lp %u, pb %u)\n", d.header.properties, d.header.lc, d.header.lp,
                d.header.pb);
    std::printf("dictionary size:  %" PRIu32 "\n", d.header.dictionarySize);
    std::printf("archive length:   %" PRIu32 "\n", d.archiveLength);
    std::fflush(stdout);
  });
  std::printf("entries:          %ld\n", decoded.entries);
}

}  // namespace velmora::pack
