// velmora-pack build: product folder + stub -> setup executable.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>

#include "Commands.h"
#include "FileTree.h"
#include "HostPath.h"
#include "LzmaEncoder.h"
#include "OutputFile.h"
#include "PackError.h"
#include "Progress.h"
#include "ZipWriter.h"
#include "payload/PayloadFormat.h"
#include "platform/SysFile.h"

namespace velmora::pack {

namespace {

struct Entry {
  SourceFile file;
  std::string name;  // archive name in GBK
  DosDateTime when;
};

std::vector<uint8_t> ReadWhole(const std::string& path) {
  sys::File f = sys::File::Open(AnsiPath(path), sys::OpenMode::kReadShared);
  if (!f) throw PackError(path + ": cannot open: " + std::strerror(errno));
  const int64_t size = f.Size();
  if (size < 0) throw PackError(path + ": cannot read its size");
  if (static_cast<uint64_t>(size) > payload::kMaxArchiveSize) throw PackError(path + ": file is 2 GiB or larger");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (f.Read(data.data(), data.size()) != data.size()) throw PackError(path + ": read failed");
  return data;
}

// SOURCE_DATE_EPOCH, when set, replaces every file's time so that builds are reproducible; it is
// taken as UTC so the result does not depend on the packing machine's time zone.
std::optional<std::time_t> SourceDateEpoch() {
  const char* value = std::getenv("SOURCE_DATE_EPOCH");
  if (value == nullptr || *value == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long seconds = std::strtoll(value, &end, 10);
  if (errno != 0 || *end != '\0' || seconds < 0) throw PackError("SOURCE_DATE_EPOCH is not a count of seconds: " + std::string(value));
  return static_cast<std::time_t>(seconds);
}

std::vector<Entry> PlanEntries(const std::string& from) {
  const auto epoch = SourceDateEpoch();
  std::vector<Entry> entries;
  for (SourceFile& f : CollectFiles(from)) {
    std::string name;
    if (!sys::Utf8ToAnsiStrict(f.relativePath, name)) {
      throw PackError(f.path + ": file name cannot be written in code page 936 (GBK)");
    }
    if (f.size > payload::kMaxArchiveSize) throw PackError(f.path + ": file is 2 GiB or larger");
    std::tm t{};
    if (epoch) {
      gmtime_r(&*epoch, &t);
    } else {
      localtime_r(&f.modified, &t);
    }
    entries.push_back({std::move(f), std::move(name), ToDosDateTime(t)});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

std::vector<uint8_t> ReadStub(const std::string& path) {
  std::vector<uint8_t> stub = ReadWhole(path);
  if (stub.empty()) throw PackError(path + ": stub is empty");
  return stub;
}

}  // namespace

void Build(const BuildOptions& options) {
  if (options.dictionarySize < 4096 || options.dictionarySize > payload::kMaxDictionarySize) {
    throw PackError("--dict-size must be between 4096 and 33554432 bytes");
  }
  const std::vector<uint8_t> stub = ReadStub(options.stub);
  const std::vector<Entry> entries = PlanEntries(options.from);
  if (entries.size() > kMaxEntries) throw PackError("more than 65535 files");

  std::vector<std::pair<size_t, uint64_t>> sizes;
  for (const Entry& e : entries) sizes.emplace_back(e.name.size(), e.file.size);
  const uint64_t archiveSize = StoredArchiveSize(sizes);
  if (archiveSize > payload::kMaxArchiveSize) throw PackError("the archive would pass 2 GiB");

  OutputFile out(options.out);
  out.Write(stub.data(), stub.size());
  LzmaSettings settings;
  settings.dictionarySize = options.dictionarySize;
  uint8_t header[payload::kLzmaHeaderSize];
  LzmaEncoder::Header(settings, header);
  out.Write(header, sizeof header);

  LzmaEncoder encoder(settings, [&out](const uint8_t* data, size_t size) { out.Write(data, size); });
  Progress progress("compressing", archiveSize + payload::kLengthPrefixSize);
  ZipWriter zip([&](const uint8_t* data, size_t size) {
    encoder.Write(data, size);
    progress.Update(encoder.BytesIn());
  });
  uint8_t prefix[payload::kLengthPrefixSize];
  payload::WriteLE32(prefix, static_cast<uint32_t>(archiveSize));
  encoder.Write(prefix, sizeof prefix);
  for (const Entry& e : entries) {
    const std::vector<uint8_t> data = ReadWhole(e.file.path);
    if (data.size() != e.file.size) throw PackError(e.file.path + ": changed while packing");
    zip.AddStored(e.name, data.data(), static_cast<uint32_t>(data.size()), e.when);
  }
  zip.Finish();
  if (zip.BytesWritten() != archiveSize) throw PackError("internal error: archive size differs from its plan");
  encoder.Finish();
  progress.Done();

  const uint64_t regionSize = payload::kLzmaHeaderSize + encoder.BytesOut() + payload::kTrailerSize;
  if (regionSize > payload::kMaxRegionSize) throw PackError("the compressed payload would pass 2 GiB");
  uint8_t trailer[payload::kTrailerSize];
  payload::WriteLE32(trailer, static_cast<uint32_t>(regionSize));
  out.Write(trailer, sizeof trailer);
  out.Commit();

  std::printf("%s: %zu files, archive %llu bytes, payload region %llu bytes after an image of %zu bytes\n",
              options.out.c_str(), entries.size(), static_cast<unsigned long long>(archiveSize),
              static_cast<unsigned long long>(regionSize), stub.size());
}

}  // namespace velmora::pack
