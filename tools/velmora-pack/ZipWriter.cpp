// Writing a ZIP archive of stored entries.
#include "ZipWriter.h"

#include <zlib.h>

#include "PackError.h"
#include "payload/PayloadFormat.h"

namespace velmora::pack {

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr uint32_t kEndRecordSignature = 0x06054B50;
constexpr uint16_t kVersionNeededStored = 10;  // 1.0: stored entries only
constexpr uint16_t kVersionMadeByDos = 20;     // 2.0 on host system 0 (MS-DOS / FAT attributes)
constexpr uint16_t kMethodStored = 0;
constexpr uint32_t kAttributeArchive = 0x20;

class Record {
 public:
  void U16(uint16_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
  }
  void U32(uint32_t v) {
    U16(uint16_t(v));
    U16(uint16_t(v >> 16));
  }
  void Bytes(const std::string& s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  const std::vector<uint8_t>& Data() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

DosDateTime ToDosDateTime(const std::tm& t) {
  int year = t.tm_year + 1900;
  if (year < 1980) return {0, (0 << 9) | (1 << 5) | 1};  // 1980-01-01 00:00:00
  if (year > 2107) return {(23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31};
  DosDateTime d;
  d.time = uint16_t(t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec / 2);
  d.date = uint16_t((year - 1980) << 9 | (t.tm_mon + 1) << 5 | t.tm_mday);
  return d;
}

uint64_t StoredArchiveSize(const std::vector<std::pair<size_t, uint64_t>>& nameAndDataSizes) {
  uint64_t total = kEndRecordSize;
  for (const auto& [nameLength, dataSize] : nameAndDataSizes) {
    total += kLocalHeaderSize + kCentralHeaderSize + 2 * uint64_t{nameLength} + dataSize;
  }
  return total;
}

void ZipWriter::Emit(const uint8_t* data, size_t size) {
  sink_(data, size);
  offset_ += size;
}

void ZipWriter::AddStored(const std::string& name, const uint8_t* data, uint32_t size, DosDateTime when) {
  if (entries_.size() >= kMaxEntries) throw PackError("more than 65535 files");
  if (name.size() > 0xFFFF) throw PackError(name + ": name too long");
  if (offset_ > payload::kMaxArchiveSize) throw PackError("archive would pass 2 GiB");
  const uint32_t crc = static_cast<uint32_t>(crc32_z(crc32_z(0, nullptr, 0), data, size));
  entries_.push_back({name, crc, size, when, static_cast<uint32_t>(offset_)});

  Record r;
  r.U32(kLocalHeaderSignature);
  r.U16(kVersionNeededStored);
  r.U16(0);  // flags: not encrypted, sizes in the header, name in the code page
  r.U16(kMethodStored);
  r.U16(when.time);
  r.U16(when.date);
  r.U32(crc);
  r.U32(size);  // compressed size
  r.U32(size);  // uncompressed size
  r.U16(static_cast<uint16_t>(name.size()));
  r.U16(0);  // extra field length
  r.Bytes(name);
  Emit(r.Data().data(), r.Data().size());
  Emit(data, size);
}

void ZipWriter::Finish() {
  const uint64_t directoryOffset = offset_;
  for (const Entry& e : entries_) {
    Record r;
    r.U32(kCentralHeaderSignature);
    r.U16(kVersionMadeByDos);
    r.U16(kVersionNeededStored);
    r.U16(0);
    r.U16(kMethodStored);
    r.U16(e.when.time);
    r.U16(e.when.date);
    r.U32(e.crc);
    r.U32(e.size);
    r.U32(e.size);
    r.U16(static_cast<uint16_t>(e.name.size()));
    r.U16(0);  // extra field length
    r.U16(0);  // comment length
    r.U16(0);  // disk number start
    r.U16(0);  // internal attributes
    r.U32(kAttributeArchive);
    r.U32(e.localHeaderOffset);
    r.Bytes(e.name);
    Emit(r.Data().data(), r.Data().size());
  }
  const uint64_t directorySize = offset_ - directoryOffset;
  if (offset_ + kEndRecordSize > payload::kMaxArchiveSize) throw PackError("archive would pass 2 GiB");
  Record r;
  r.U32(kEndRecordSignature);
  r.U16(0);  // this disk
  r.U16(0);  // disk with the central directory
  r.U16(static_cast<uint16_t>(entries_.size()));
  r.U16(static_cast<uint16_t>(entries_.size()));
  r.U32(static_cast<uint32_t>(directorySize));
  r.U32(static_cast<uint32_t>(directoryOffset));
  r.U16(0);  // comment length
  Emit(r.Data().data(), r.Data().size());
}

}  // namespace velmora::pack
