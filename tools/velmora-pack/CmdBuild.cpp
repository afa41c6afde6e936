// velmora-pack build: product folder + stub -> setup executable, signed by the maker's command.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "Commands.h"
#include "FileTree.h"
#include "HostPath.h"
#include "LzmaEncoder.h"
#include "OutputFile.h"
#include "PackError.h"
#include "PeImage.h"
#include "Progress.h"
#include "Signing.h"
#include "ZipWriter.h"
#include "payload/PayloadFormat.h"
#include "payload/PeHeaders.h"
#include "platform/SysFile.h"
#include "platform/SysText.h"
#include "zip/AnsiText.h"
#include "zip/EntryPath.h"

namespace velmora::pack {

namespace {

constexpr size_t kRegionEndAlignment = 8;
constexpr size_t kSecurityEntrySize = 8;
constexpr size_t kCopyChunk = 1 << 20;

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

// Every file must reach the installation folder under its own name, or the setup fails: the ZIP
// engine gives up a name Windows would not keep (a device name such as aux.txt, a component ending
// in "." or " ", a character such as "?" or ":"), which fails every installation, and two names
// that differ only in letter case are one file on Windows, so one of them would be lost. Folders
// that differ only in case just become one folder there.
void CheckNamesInstallable(const std::vector<Entry>& entries) {
  std::map<std::string, const Entry*> files, folders;  // by folded name, with "\\" separators
  for (const Entry& e : entries) {
    std::string name = e.name;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    const std::optional<std::string> below = zip::PathBelowDestDir(e.name);
    if (e.file.relativePath.find('\\') != std::string::npos || !below || *below != name) {
      throw PackError(e.file.path + ": Windows cannot hold this file name, so the setup could not install it");
    }
    const auto clash = [&](const std::string& other) {
      throw PackError(e.file.path + ": differs only in letter case from " + other + ", which is the same name on Windows");
    };
    const std::string folded = zip::FoldNameCase(name);
    if (auto f = files.find(folded); f != files.end()) clash(f->second->file.path);
    if (auto d = folders.find(folded); d != folders.end()) clash("the folder of " + d->second->file.path);
    files.emplace(folded, &e);
    for (size_t end : zip::PrefixEnds(folded)) {
      if (end == folded.size()) continue;  // the file itself
      const std::string folder = folded.substr(0, end);
      if (auto f = files.find(folder); f != files.end()) clash(f->second->file.path + " (a file, here a folder)");
      folders.emplace(folder, &e);
    }
  }
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
  CheckNamesInstallable(entries);
  return entries;
}

// A stub signed on its own carries a signature that can never cover the payload, and a signing
// tool refuses a file whose certificate directory names anything but a table at its very end. So
// the directory is cleared, and a table that ends the stub behind its image is cut off with it; a
// directory naming bytes of the image itself cuts nothing, or the setup would lose its code.
void DropStubSignature(std::vector<uint8_t>& stub, const std::string& path, std::optional<uint64_t> imageEnd) {
  const std::optional<payload::PeHeaders> pe = payload::ParsePeHeaders(stub.data(), stub.size());
  const payload::RegionEnd end = payload::FindRegionEnd(stub.data(), stub.size(), stub.size());
  if (!pe || !pe->securityEntryAt || !end.directory) return;
  std::memset(stub.data() + *pe->securityEntryAt, 0, kSecurityEntrySize);
  if (end.rule == payload::RegionEndRule::kCertificateTable && imageEnd && end.offset >= *imageEnd) {
    stub.resize(end.offset);
    std::printf("%s: the stub's own signature (%u bytes) is left out; sign the finished setup instead\n",
                path.c_str(), unsigned(end.directory->size));
  } else {
    std::printf("%s: the stub's certificate directory, which names no table behind its image at its end, is "
                "cleared\n",
                path.c_str());
  }
}

std::vector<uint8_t> ReadStub(const std::string& path) {
  std::vector<uint8_t> stub = ReadWhole(path);
  if (stub.empty()) throw PackError(path + ": stub is empty");
  sys::File file = sys::File::Open(AnsiPath(path), sys::OpenMode::kReadShared);
  if (!file) throw PackError(path + ": cannot open: " + std::strerror(errno));
  DropStubSignature(stub, path, PeImageEnd(file));
  return stub;
}

// The compressed stream, kept in a scratch file beside the setup until its length, and with it the
// padding in front of the region, is known. Removed at the end in every case.
class Spool {
 public:
  explicit Spool(const std::string& out)
      : path_(AnsiPath(out + ".part-" + std::to_string(getpid()) + ".lzma")),
        file_(sys::File::Open(path_, sys::OpenMode::kCreateTruncate)) {
    if (!file_) throw PackError(out + ": cannot create a scratch file beside it: " + std::strerror(errno));
  }
  ~Spool() {
    file_.Close();
    sys::RemoveFile(path_);
  }
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;

  void Write(const uint8_t* data, size_t size) {
    if (!file_.Write(data, size)) throw PackError(path_ + ": write failed: " + std::strerror(errno));
  }
  // Appends the `size` bytes written so far to `out`.
  void CopyTo(OutputFile& out, uint64_t size) {
    if (!file_.Close()) throw PackError(path_ + ": write failed: " + std::strerror(errno));
    file_ = sys::File::Open(path_, sys::OpenMode::kReadShared);
    if (!file_) throw PackError(path_ + ": cannot read back: " + std::strerror(errno));
    std::vector<uint8_t> chunk(kCopyChunk);
    for (uint64_t left = size; left > 0;) {
      const size_t want = left < chunk.size() ? size_t(left) : chunk.size();
      if (file_.Read(chunk.data(), want) != want) throw PackError(path_ + ": cannot read back: " + std::strerror(errno));
      out.Write(chunk.data(), want);
      left -= want;
    }
  }

 private:
  std::string path_;
  sys::File file_;
};

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
  Spool spool(options.out);
  LzmaSettings settings;
  settings.dictionarySize = options.dictionarySize;
  LzmaEncoder encoder(settings, [&spool](const uint8_t* data, size_t size) { spool.Write(data, size); });
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
  // The region is found from its end, so zeros in front of it are harmless; they make it end on an
  // 8-byte boundary, where a signing tool appends its certificate table without padding of its own
  // (which would come between the trailer and the table and hide the trailer).
  const size_t padding = size_t((kRegionEndAlignment - (stub.size() + regionSize) % kRegionEndAlignment) %
                                kRegionEndAlignment);
  out.Write(stub.data(), stub.size());
  const uint8_t zeros[kRegionEndAlignment] = {};
  out.Write(zeros, padding);
  uint8_t header[payload::kLzmaHeaderSize];
  LzmaEncoder::Header(settings, header);
  out.Write(header, sizeof header);
  spool.CopyTo(out, encoder.BytesOut());
  uint8_t trailer[payload::kTrailerSize];
  payload::WriteLE32(trailer, static_cast<uint32_t>(regionSize));
  out.Write(trailer, sizeof trailer);
  out.Close();

  std::printf("%s: %zu files, archive %llu bytes, payload region %llu bytes after an image of %zu bytes and %zu "
              "bytes of padding\n",
              options.out.c_str(), entries.size(), static_cast<unsigned long long>(archiveSize),
              static_cast<unsigned long long>(regionSize), stub.size(), padding);
  if (!options.signCommand.empty()) {
    SignSetup(options.signCommand, {out.TempPath(), options.out, out.Size(), archiveSize, entries.size()});
  }
  out.Commit();
}

}  // namespace velmora::pack
