// Copying the compressed block out of a setup file.
#include "payload/UCovert.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "payload/PayloadFormat.h"

namespace velmora::payload {
namespace {

using test::Bytes;

Bytes Trailer(uint32_t n) {
  Bytes t(4);
  WriteLE32(t.data(), n);
  return t;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(CopyPayloadOut, CopiesTheBlockByteForByteAndReplacesTheDestination) {
  test::ScratchDir dir;
  const Bytes image(3000, 0x90);
  const Bytes block{0x5D, 0x00, 0x00, 0x00, 0x02, 0x00, 0x11, 0x22, 0x33};
  test::WriteFile(dir / "setup.exe", Concat({image, block, Trailer(uint32_t(block.size() + 4))}));
  test::WriteFile(dir / "block.tmp", Bytes(10000, 0xEE));  // longer than the block: must be replaced

  ASSERT_TRUE(CopyPayloadOut(dir / "setup.exe", dir / "block.tmp"));
  EXPECT_TRUE(test::ReadFile(dir / "block.tmp") == block);
}

TEST(CopyPayloadOut, RejectsTrailersThatLeaveNoValidRegion) {
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"region larger than the file", Concat({Bytes(100, 1), Trailer(105)})},
      {"region size 8, no room for the LZMA header", Concat({Bytes(100, 1), Trailer(8)})},
      {"region size 0", Concat({Bytes(100, 1), Trailer(0)})},
      {"region of 2 GiB", Concat({Bytes(100, 1), Trailer(0x80000000u)})},
      {"file shorter than a trailer", Bytes{1, 2, 3}},
      {"empty file", Bytes{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchDir dir;
    test::WriteFile(dir / "setup.exe", c.file);
    EXPECT_FALSE(CopyPayloadOut(dir / "setup.exe", dir / "block.tmp"));
    EXPECT_FALSE(test::FileExists(dir / "block.tmp"));
  }
}

TEST(CopyPayloadOut, ExactlyTheSmallestAndTheWholeFileRegions) {
  test::ScratchDir dir;
  // N equal to the file size: the image is empty and the whole file but the trailer is the block.
  const Bytes block{0x5D, 1, 2, 3, 4};
  test::WriteFile(dir / "setup.exe", Concat({block, Trailer(9)}));
  ASSERT_TRUE(CopyPayloadOut(dir / "setup.exe", dir / "block.tmp"));
  EXPECT_TRUE(test::ReadFile(dir / "block.tmp") == block);
}

TEST(CopyPayloadOut, FileWithoutRegionCopiesMeaninglessBytesOrFails) {
  test::ScratchDir dir;
  // An executable without a region: its last four bytes, read as N, happen to fit the file.
  Bytes image(64, 0);
  WriteLE32(image.data() + 60, 20);
  test::WriteFile(dir / "plain.exe", image);
  ASSERT_TRUE(CopyPayloadOut(dir / "plain.exe", dir / "block.tmp"));
  EXPECT_EQ(test::ReadFile(dir / "block.tmp").size(), 16u);
}

TEST(CopyPayloadOut, MissingSourceOrUnwritableDestinationGiveFalse) {
  test::ScratchDir dir;
  EXPECT_FALSE(CopyPayloadOut(dir / "missing.exe", dir / "block.tmp"));
  test::WriteFile(dir / "setup.exe", Concat({Bytes(5, 0), Trailer(9)}));
  EXPECT_FALSE(CopyPayloadOut(dir / "setup.exe", dir / "no-such-folder/block.tmp"));
  EXPECT_FALSE(CopyPayloadOut(dir / "", dir / "block.tmp"));  // a folder, not a file
}

}  // namespace
}  // namespace velmora::payload
