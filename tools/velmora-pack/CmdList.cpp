// velmora-pack list: the catalogue of a ZIP archive or of a setup's payload, read by the engine.
#include <cstdio>

#include "ArchiveSource.h"
#include "Commands.h"
#include "HostPath.h"
#include "PackError.h"
#include "zip/VCLUnZip.h"

namespace velmora::pack {

// The engine's "\"-separated ANSI path as the terminal shows it.
std::string ShowPath(const std::string& ansi) {
  std::string shown = ShowText(ansi);
  for (char& c : shown) {
    if (c == '\\') c = '/';
  }
  return shown;
}

void List(const ReadOptions& options) {
  ArchiveSource source(options.archive);
  zip::TVCLUnZip engine;
  OpenArchive(engine, source, options);
  engine.ReadCatalogue();
  if (!engine.HasCatalogue()) {
    throw PackError(options.archive +
                    ": no end of central directory record: not a ZIP archive, or a damaged one "
                    "(--recover rebuilds the catalogue from the local headers)");
  }
  std::printf("%5s %6s %12s %12s %-8s %-19s %-4s %s\n", "index", "method", "compressed", "uncompressed", "crc",
              "date", "attr", "path");
  for (int i = 0; i < engine.Count(); ++i) {
    const zip::TZipHeaderInfo& e = engine.Entry(i);
    const uint32_t d = e.dateTime;
    std::printf("%5d %6u %12llu %12llu %08x %04u-%02u-%02u %02u:%02u:%02u 0x%02x %s\n", i, e.compressionMethod,
                static_cast<unsigned long long>(e.CompressedSize64()),
                static_cast<unsigned long long>(e.UncompressedSize64()), e.crc32, (d >> 25) + 1980, d >> 21 & 0x0F,
                d >> 16 & 0x1F, d >> 11 & 0x1F, d >> 5 & 0x3F, (d & 0x1F) * 2, e.externalAttributes,
                ShowPath(e.StoredPath()).c_str());
  }
}

}  // namespace velmora::pack
