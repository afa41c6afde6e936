// Writing a ZIP archive of stored entries, as the setup's extraction engine reads it: no extra
// fields, no data descriptors, no UTF-8 flag, MS-DOS attributes.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace velmora::pack {

constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kCentralHeaderSize = 46;
constexpr uint32_t kEndRecordSize = 22;
constexpr uint32_t kMaxEntries = 0xFFFF;  // more would need zip64 records

struct DosDateTime {
  uint16_t time = 0;
  uint16_t date = 0;
};

// MS-DOS date and time of a broken-down time: two-second steps, years clamped to 1980..2107.
DosDateTime ToDosDateTime(const std::tm& t);

// Archive size for entries with these name lengths and data sizes, computed before writing so the
// length can go in front of the archive.
uint64_t StoredArchiveSize(const std::vector<std::pair<size_t, uint64_t>>& nameAndDataSizes);

class ZipWriter {
 public:
  using Sink = std::function<void(const uint8_t* data, size_t size)>;
  explicit ZipWriter(Sink sink) : sink_(std::move(sink)) {}

  // Appends one stored entry: local header, then the data. `name` is in its final (GBK) bytes.
  void AddStored(const std::string& name, const uint8_t* data, uint32_t size, DosDateTime when);
  // Appends the central directory and the end record.
  void Finish();
  uint64_t BytesWritten() const { return offset_; }

 private:
  struct Entry {
    std::string name;
    uint32_t crc;
    uint32_t size;
    DosDateTime when;
    uint32_t localHeaderOffset;
  };
  void Emit(const uint8_t* data, size_t size);

  Sink sink_;
  std::vector<Entry> entries_;
  uint64_t offset_ = 0;
};

}  // namespace velmora::pack
