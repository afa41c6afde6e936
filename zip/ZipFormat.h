// Record signatures and sizes of the ZIP format as the engine reads it. OS-independent.
#pragma once

#include <cstdint>

namespace velmora::zip {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr uint32_t kEndCentralSignature = 0x06054B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;

constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kCentralHeaderSize = 46;
constexpr uint32_t kEndCentralSize = 22;
constexpr uint32_t kZip64LocatorSize = 20;
constexpr uint32_t kZip64EndSize = 56;
constexpr uint32_t kMaxCommentSize = 0xFFFF;

constexpr uint16_t kTagZip64 = 0x0001;
constexpr uint16_t kTagUnicodePath = 0x7075;
constexpr uint16_t kTagAes = 0x9901;
constexpr uint16_t kAesDataSize = 7;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8 = 0x0800;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kMethodAes = 99;

}  // namespace velmora::zip
