// The in-memory stream the payload is decoded into.
#include "payload/MemoryStream.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace velmora::payload {
namespace {

TEST(TMemoryStream, WritesReadsAndExtendsAtThePosition) {
  TMemoryStream s;
  s.Write("abcdef", 6);
  s.SetPosition(4);
  uint8_t* room = s.Extend(5);  // overlaps "ef", grows by 3
  EXPECT_EQ(s.Size(), 9u);
  EXPECT_EQ(s.Position(), 4u);
  std::memcpy(room, "WXYZ!", 5);
  s.SetPosition(8);
  s.Extend(0);
  s.SetPosition(11);
  s.Write("#", 1);  // past the end: the gap is zero-filled
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), s.Size()), std::string("abcdWXYZ!\0\0#", 12));
  s.SetPosition(2);
  char out[4] = {};
  EXPECT_EQ(s.Read(out, 3), 3u);
  EXPECT_EQ(std::string(out), "cdW");
  s.SetPosition(100);
  EXPECT_EQ(s.Read(out, 3), 0u);
}

TEST(TMemoryStream, FileRoundTripAndMissingFile) {
  test::ScratchDir dir;
  TMemoryStream s;
  s.Write("payload", 7);
  ASSERT_TRUE(s.SaveToFile(dir / "a.bin"));
  TMemoryStream t;
  ASSERT_TRUE(t.LoadFromFile(dir / "a.bin"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.Memory()), t.Size()), "payload");
  EXPECT_EQ(t.Position(), 0u);
  EXPECT_FALSE(t.LoadFromFile(dir / "missing.bin"));
  EXPECT_FALSE(s.SaveToFile(dir / "no-such-folder/a.bin"));
}

}  // namespace
}  // namespace velmora::payload
