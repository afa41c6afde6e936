// The ZIP engine's rebuild of a catalogue from the local headers, for archives whose central
// directory is missing or inconsistent. OS-independent.
#include <vector>

#include "zip/AnsiText.h"
#include "zip/VCLUnZip.h"
#include "zip/ZipFormat.h"

namespace velmora::zip {

namespace {

// Self-extracting archives carry their program first; no local header is looked for inside it.
constexpr int64_t kSfxProgramSize = 14000;
constexpr int64_t kMessageInterval = 10240;
constexpr uint32_t kDataDescriptorSize = 16;

bool HasExeExtension(const std::string& name) {
  const size_t dot = ExtensionStart(name);
  return dot != std::string::npos && SameTextAscii(name.substr(dot), ".exe");
}

}  // namespace

bool TVCLUnZip::RecoverFromLocalHeaders() {
  if (badArchive_) return false;
  badArchive_ = true;
  improperArchive_ = true;
  FreeCatalogue();

  TStream& in = *archive_;
  // Scan for a local header signature followed by a version whose host byte is below 10, in
  // chunks that overlap by the five bytes a match needs beyond its first.
  int64_t chunkStart = HasExeExtension(zipName_) ? kSfxProgramSize : 0;
  int64_t found = -1;
  std::vector<uint8_t> chunk(1 << 16);
  int64_t sincePump = 0;
  while (found < 0) {
    in.Seek(chunkStart, TSeekOrigin::soBeginning);
    const size_t n = in.Read(chunk.data(), chunk.size());
    if (n < 6) return false;
    for (size_t i = 0; i + 6 <= n; ++i) {
      if (++sincePump == kMessageInterval) {
        sincePump = 0;
        MessagePoint();
      }
      const uint8_t* b = &chunk[i];
      if (b[0] == 'P' && b[1] == 'K' && b[2] == 3 && b[3] == 4 && b[5] < 10) {
        found = chunkStart + int64_t(i);
        break;
      }
    }
    chunkStart += int64_t(n) - 5;
  }
  in.Seek(found, TSeekOrigin::soBeginning);

  catalogue_ = std::make_unique<TSortedZip>(TZipSortMode::ByNone, TDuplicates::dupError, true);
  uint64_t entries = 0;
  for (;;) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->oemConvert = OEMConvert;
    const int64_t at = in.Position();
    if (!entry->ReadLocalHeader(in)) {
      in.Seek(at, TSeekOrigin::soBeginning);
      break;
    }
    if (DoProcessMessages) services_.ProcessMessages();
    const int64_t skip = int64_t(entry->CompressedSize64()) + ((entry->flag & kFlagDataDescriptor) ? kDataDescriptorSize : 0);
    if (!catalogue_->Add(entry.get())) break;
    entry.release();
    ++entries;
    in.Seek(skip, TSeekOrigin::soCurrent);
  }
  endCentral_.thisDisk16 = 0;
  currentDisk_ = 0;
  endCentral_.centralOffset32 = uint32_t(in.Position());
  endCentral_.totalEntries16 = uint16_t(entries < 0xFFFF ? entries : 0xFFFF);
  if (entries >= 0xFFFF || in.Position() >= 0xFFFFFFFF) {
    TZip64EndRecord z = endCentral_.zip64End.value_or(TZip64EndRecord{});
    z.totalEntries = entries;
    z.centralOffset = uint64_t(in.Position());
    z.thisDisk = 0;
    endCentral_.zip64End = z;
    endCentral_.centralOffset32 = 0xFFFFFFFF;
  }
  numberOfDisks_ = 1;
  return true;
}

}  // namespace velmora::zip
