// Where a setup's appended region ends, read from the PE headers at the start of the file.
// OS-independent; no I/O: the caller hands in the first bytes of the file and its size.
//
//   unsigned setup:  [image][padding][LZMA block][N: u32 LE]                              end of file
//   signed setup:    [image][padding][LZMA block][N: u32 LE][certificate table]           end of file
//
// A signing tool puts its certificate table at the very end of the file and names it in the
// image's security data directory (data directory 4, whose "address" is a file offset, not a
// relative virtual address). The region then ends where that table starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmora::payload {

// Bytes from the start of the file that are read for the headers: the DOS header, the PE
// signature, the COFF header and the optional header with its data directories all lie in them
// for every image a linker writes. Headers reaching beyond them are not looked at.
constexpr size_t kPeHeadSize = 4096;

// The places of the headers in an image that the rules below need.
struct PeHeaders {
  uint32_t coffAt = 0;            // the COFF file header, right behind "PE\0\0"
  uint16_t sectionCount = 0;
  uint64_t sectionTableAt = 0;    // behind the optional header; may lie beyond the head
  // The security data directory's 8 bytes (file offset, size), when the optional header has a
  // fifth data directory inside the head.
  std::optional<size_t> securityEntryAt;
};

// The headers of a PE image (PE32 or PE32+) starting at `head`, or nothing when the bytes are not
// one: no "MZ", the PE header outside the head, no "PE\0\0", or an unknown optional header.
std::optional<PeHeaders> ParsePeHeaders(const uint8_t* head, size_t headSize) noexcept;

enum class RegionEndRule {
  kEndOfFile,         // no certificate table closes the file: the region ends with it
  kCertificateTable,  // the region ends where the certificate table that closes the file starts
};

// What a PE image's security data directory says, when it is not empty.
struct CertificateDirectory {
  uint32_t offset = 0;  // file offset of the certificate table
  uint32_t size = 0;
};

struct RegionEnd {
  uint64_t offset = 0;  // the file offset where the region ends (one past its trailer)
  RegionEndRule rule = RegionEndRule::kEndOfFile;
  std::optional<CertificateDirectory> directory;  // also when it was not trusted
};

// Where the region of a file of `fileSize` bytes ends, given its first `headSize` bytes (at most
// kPeHeadSize are looked at). A directory is trusted only when its table is not empty, starts
// after offset 0 and ends exactly at the end of the file; any other directory, and every file that
// is not a PE image, gives the end of the file.
RegionEnd FindRegionEnd(const uint8_t* head, size_t headSize, uint64_t fileSize) noexcept;

}  // namespace velmora::payload
