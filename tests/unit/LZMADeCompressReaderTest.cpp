// Decoding whole length-prefixed payloads from one memory stream into another.
#include "payload/LZMADeCompressReader.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace velmora::payload {
namespace {

using test::Bytes;
using test::Fixture;

TMemoryStream StreamOf(const Bytes& bytes) {
  TMemoryStream s;
  s.Write(bytes.data(), bytes.size());
  return s;
}

Bytes Contents(const TMemoryStream& s) { return Bytes(s.Memory(), s.Memory() + s.Size()); }

struct Result {
  bool ok;
  Bytes output;
  TCompressFailure error;
};

Result DecompressFixture(const std::string& name) {
  TMemoryStream input = StreamOf(Fixture(name + ".lzma"));
  input.SetPosition(input.Size());  // the reader rewinds the input itself
  TMemoryStream output;
  TLZMADeCompressReader reader;
  const bool ok = reader.DecompressStream(input, output);
  return {ok, Contents(output), reader.LastError()};
}

TEST(LZMADeCompressReader, WritesExactlyTheArchiveAfterTheLengthField) {
  for (const char* name : {"python-eopm", "xz-eopm", "7zz-no-eopm"}) {
    SCOPED_TRACE(name);
    const Bytes plain = Fixture(std::string(name) + ".plain");
    const Result r = DecompressFixture(name);
    EXPECT_TRUE(r.ok) << r.error.message;
    EXPECT_TRUE(r.output == Bytes(plain.begin() + 4, plain.end()));
    EXPECT_TRUE(r.error.className.empty());
  }
}

TEST(LZMADeCompressReader, EmptyArchiveGivesTrueAndWritesNothing) {
  const Result r = DecompressFixture("empty-archive");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.output.empty());
}

TEST(LZMADeCompressReader, FailuresGiveFalseRestoreTheOutputSizeAndKeepTheReason) {
  struct Case {
    const char* fixture;
    const char* className;
    const char* message;
  } cases[] = {
      // The end marker comes after 104 of the 1004 bytes the length field promises.
      {"short-payload", "ECompressDataError", "lzma: \xd1\xb9\xcb\xf5\xca\xfd\xbe\xdd\xd2\xd1\xcb\xf0\xbb\xb5 (6)"},
      {"huge-length", "ERangeError", "archive length 4294967295 is 2 GiB or more"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const Result r = DecompressFixture(c.fixture);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.output.empty());
    EXPECT_EQ(r.error.className, c.className);
    EXPECT_EQ(r.error.message, c.message);
  }

  const Bytes full = Fixture("python-eopm.lzma");
  TMemoryStream truncated = StreamOf(Bytes(full.begin(), full.end() - 1000));
  TMemoryStream output = StreamOf({'k', 'e', 'e', 'p'});
  TLZMADeCompressReader reader;
  EXPECT_FALSE(reader.DecompressStream(truncated, output));
  EXPECT_EQ(Contents(output), (Bytes{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(reader.LastError().className, "ECompressDataError");

  // Decoding at a position inside the output: the size and position come back, but the bytes
  // decoded before the failure (the archive's first, "PK\3\4") stay where they were written.
  output.SetPosition(0);
  TLZMADeCompressReader again;  // a reader goes on with its old stream; this one starts afresh
  EXPECT_FALSE(again.DecompressStream(truncated, output));
  EXPECT_EQ(Contents(output), (Bytes{'P', 'K', 3, 4}));
  EXPECT_EQ(output.Position(), 0u);
}

TEST(LZMADeCompressReader, WritesAtTheOutputPosition) {
  const Bytes plain = Fixture("python-eopm.plain");
  TMemoryStream input = StreamOf(Fixture("python-eopm.lzma"));
  TMemoryStream output = StreamOf({1, 2, 3});
  TLZMADeCompressReader reader;
  ASSERT_TRUE(reader.DecompressStream(input, output));
  Bytes expected{1, 2, 3};
  expected.insert(expected.end(), plain.begin() + 4, plain.end());
  EXPECT_TRUE(Contents(output) == expected);
  EXPECT_EQ(output.Position(), expected.size());
}

TEST(LZMADeCompressReader, TheSameStreamReadWithASmallerCountSucceeds) {
  // The short payload holds 100 archive bytes; a reader that asks for no more than that is fine.
  test::ByteSource source(Fixture("short-payload.lzma"));
  TLZMADecompressor d([&](uint8_t* b, int32_t c) { return source.Read(b, c); });
  Bytes out(104);
  d.ReadDecompressed(out.data(), out.size());
  EXPECT_TRUE(out == Fixture("short-payload.plain"));
}

}  // namespace
}  // namespace velmora::payload
