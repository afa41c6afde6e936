// The packager's ZIP records: MS-DOS times and the size planned before writing.
#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include "TestSupport.h"
#include "payload/PayloadFormat.h"

namespace velmora::pack {
namespace {

std::tm Tm(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(ZipWriter, DosDateTimeRoundsSecondsDownAndClampsTheYears) {
  struct Case {
    std::tm when;
    uint16_t time, date;
  } cases[] = {
      {Tm(2026, 12, 10, 13, 45, 59), 13 << 11 | 45 << 5 | 29, 46 << 9 | 12 << 5 | 10},
      {Tm(1980, 1, 1, 0, 0, 0), 0, 1 << 5 | 1},
      {Tm(1979, 12, 31, 23, 59, 59), 0, 1 << 5 | 1},
      {Tm(2108, 1, 1, 0, 0, 0), 23 << 11 | 59 << 5 | 29, 127 << 9 | 12 << 5 | 31},
  };
  for (const Case& c : cases) {
    const DosDateTime d = ToDosDateTime(c.when);
    EXPECT_EQ(d.time, c.time);
    EXPECT_EQ(d.date, c.date);
  }
}

TEST(ZipWriter, WritesThePlannedSizeAndPlainStoredRecords) {
  test::Bytes out;
  ZipWriter zip([&](const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); });
  const std::string nameA = "a.txt", nameB = "\xce\xc4\xb5\xb5/\x81\x5c.txt";  // "文档/乗.txt", trail byte 0x5C
  zip.AddStored(nameA, reinterpret_cast<const uint8_t*>("hello"), 5, {0x1234, 0x5678});
  zip.AddStored(nameB, nullptr, 0, {0, 0x21});
  zip.Finish();
  EXPECT_EQ(out.size(), StoredArchiveSize({{nameA.size(), 5}, {nameB.size(), 0}}));

  using payload::ReadLE32;
  // Local header of the first entry: version 10, no flags, stored, time, date, CRC, sizes.
  EXPECT_EQ(ReadLE32(&out[0]), 0x04034B50u);
  EXPECT_EQ(out[4] | out[5] << 8, 10);
  EXPECT_EQ(out[6] | out[7] << 8, 0);
  EXPECT_EQ(out[8] | out[9] << 8, 0);
  EXPECT_EQ(ReadLE32(&out[14]), static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>("hello"), 5)));
  EXPECT_EQ(out[28] | out[29] << 8, 0);  // no extra field
  // End record: two entries; the central directory it points at starts with a header whose
  // external attributes are 0x20.
  const size_t end = out.size() - 22;
  EXPECT_EQ(ReadLE32(&out[end]), 0x06054B50u);
  EXPECT_EQ(out[end + 10], 2);
  const uint32_t directory = ReadLE32(&out[end + 16]);
  EXPECT_EQ(ReadLE32(&out[directory]), 0x02014B50u);
  EXPECT_EQ(ReadLE32(&out[directory + 38]), 0x20u);
}

}  // namespace
}  // namespace velmora::pack
