// The state of one extraction run of the ZIP engine, shared by the run and the entry decoders.
// OS-independent.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "zip/EntryPath.h"
#include "zip/VCLUnZip.h"
#include "zip/ZipCrypto.h"

namespace velmora::zip {

// Blocks between the archive, the decoders and the output files.
constexpr size_t kBlockSize = 32768;

// What lasts from the first entry of a run to its last.
struct TVCLUnZip::Run {
  explicit Run(bool fileNamesFoldCase) : madeNames(fileNamesFoldCase) {}
  int64_t totalBytes = 0;  // uncompressed bytes of the selected entries still expected
  int64_t bytesDone = 0;   // written by every entry so far
  int extracted = 0;
  std::vector<uint8_t> input = std::vector<uint8_t>(kBlockSize + 1);
  std::vector<uint8_t> output = std::vector<uint8_t>(kBlockSize + 1);
  TMadeNames madeNames;  // the folders and files the run went on to write, where case must be folded
};

// What one entry step works on. A new one is made for every entry, and again when an entry is
// tried once more with a new password, so no register, counter or decryptor of an earlier entry
// can reach the next one.
struct TVCLUnZip::EntryStep {
  explicit EntryStep(const TZipHeaderInfo& record) : entry(record) {}
  TZipHeaderInfo entry;       // a working copy: the catalogue stays as it is
  uint32_t crc = 0xFFFFFFFF;  // the running register
  int64_t bytesWritten = 0;
  int64_t compressedLeft = 0;  // counted down as blocks are taken from the archive
  // The decryptor of an encrypted entry, set up by its password check.
  std::unique_ptr<TTraditionalDecryptor> traditional;
  std::unique_ptr<TAesDecryptor> aes;
};

// percent(a, b) = 0 when b <= 0, else min(100, a * 100 / b rounded to the nearest, ties to even).
int Percent(int64_t done, int64_t total);

}  // namespace velmora::zip
