// Numbers of the appended payload region and its LZMA block. OS-independent.
//
//   setup file:  [image: E bytes][LZMA block: N - 4 bytes][N: u32 LE]
//   LZMA block:  [properties: 1][dictionary size: u32 LE][range-coded data]
//   decoded:     [L: u32 LE][ZIP archive: L bytes]
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ByteOrder.h"

namespace velmora::payload {

constexpr uint32_t kTrailerSize = 4;
constexpr uint32_t kLzmaHeaderSize = 5;
// The trailer is used as a signed 32-bit offset back from the end of the file.
constexpr uint32_t kMaxRegionSize = 0x7FFFFFFF;
constexpr uint32_t kMinRegionSize = kLzmaHeaderSize + kTrailerSize;

constexpr uint32_t kMaxDictionarySize = 32u << 20;
// Properties byte = (pb * 5 + lp) * 9 + lc with lc <= 8, lp <= 4, pb <= 4.
constexpr uint8_t kMaxPropertiesByte = (4 * 5 + 4) * 9 + 8;
constexpr uint32_t kLengthPrefixSize = 4;
// The archive length is read as a signed 32-bit count.
constexpr uint32_t kMaxArchiveSize = 0x7FFFFFFF;

using velmora::ReadLE32;
using velmora::WriteLE32;

}  // namespace velmora::payload
