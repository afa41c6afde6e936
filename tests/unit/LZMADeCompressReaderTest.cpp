// Decoding whole length-prefixed payloads from one memory stream into another, and from a block
// file into an archive file.
#include "payload/LZMADeCompressReader.h"

#include <gtest/gtest.h>

#include <random>

#include "LzmaEncoder.h"
#include "TestSupport.h"
#include "payload/PayloadFormat.h"

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

// The file path: the block read from a file, the archive written to one a chunk at a time.
struct FileResult {
  bool ok;
  bool archiveExists;
  Bytes archive;
  TCompressFailure error;
};

FileResult DecompressBlock(const Bytes& block) {
  test::ScratchDir dir;
  test::WriteFile(dir / "block", block);
  test::WriteFile(dir / "archive", {'o', 'l', 'd'});  // replaced, or removed by a failure
  TLZMADeCompressReader reader;
  const bool ok = reader.DecompressFile(dir / "block", dir / "archive");
  const bool exists = test::FileExists(dir / "archive");
  return {ok, exists, exists ? test::ReadFile(dir / "archive") : Bytes{}, reader.LastError()};
}

// A length-prefixed archive of about 3.2 MB, packed at test time: more than a dozen output chunks.
Bytes ManyChunkPlain() {
  std::mt19937 random(7);
  Bytes data;
  for (int block = 0; data.size() < 3200000; ++block) {
    for (int i = 0; i < 4000; ++i) data.push_back(uint8_t(random()));
    data.insert(data.end(), 96, uint8_t(block));
  }
  Bytes plain(kLengthPrefixSize);
  WriteLE32(plain.data(), uint32_t(data.size()));
  plain.insert(plain.end(), data.begin(), data.end());
  return plain;
}

Bytes Pack(const Bytes& plain) {
  pack::LzmaSettings settings;
  settings.dictionarySize = 1u << 20;
  settings.preset = 0;
  Bytes block(kLzmaHeaderSize);
  pack::LzmaEncoder::Header(settings, block.data());
  pack::LzmaEncoder encoder(settings, [&](const uint8_t* data, size_t size) { block.insert(block.end(), data, data + size); });
  encoder.Write(plain.data(), plain.size());
  encoder.Finish();
  return block;
}

TEST(LZMADeCompressReader, FileToFileGivesTheSameArchiveAsMemory) {
  for (const char* name : {"python-eopm", "xz-eopm", "7zz-no-eopm", "empty-archive"}) {
    SCOPED_TRACE(name);
    const FileResult r = DecompressBlock(Fixture(std::string(name) + ".lzma"));
    EXPECT_TRUE(r.ok) << r.error.message;
    EXPECT_TRUE(r.archive == DecompressFixture(name).output);
  }
  const Bytes plain = ManyChunkPlain();
  const FileResult r = DecompressBlock(Pack(plain));
  EXPECT_TRUE(r.ok) << r.error.message;
  EXPECT_TRUE(r.archive == Bytes(plain.begin() + kLengthPrefixSize, plain.end()));
}

TEST(LZMADeCompressReader, FileToFileFailuresLeaveNoArchive) {
  const Bytes plain = ManyChunkPlain(), packed = Pack(plain);
  const size_t middle = packed.size() / 2;  // about 1.6 MB into the archive: chunks are written
  Bytes flipped = packed;
  for (size_t i = middle; i < middle + 16; ++i) flipped[i] ^= 0xFF;
  struct Case {
    const char* what;
    Bytes block;
    const char* className;
  } cases[] = {
      {"end marker before the promised length", Fixture("short-payload.lzma"), "ECompressDataError"},
      {"length of 2 GiB or more", Fixture("huge-length.lzma"), "ERangeError"},
      {"block cut short after the first megabyte", Bytes(packed.begin(), packed.begin() + long(middle)),
       "ECompressDataError"},
      {"corrupt data after the first megabyte", flipped, "ECompressDataError"},
      {"length of 1 GiB and a few bytes of data", Fixture("gib-length.lzma"), "ECompressDataError"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const FileResult r = DecompressBlock(c.block);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.archiveExists);
    EXPECT_EQ(r.error.className, c.className);
  }
}

TEST(LZMADeCompressReader, FileToFileThrowsWhenTheFilesFailAndLeavesNoArchive) {
  test::ScratchDir dir;
  test::WriteFile(dir / "block", Fixture("python-eopm.lzma"));
  TLZMADeCompressReader reader;
  EXPECT_THROW(reader.DecompressFile(dir / "missing", dir / "archive"), EPayloadFileError);
  EXPECT_FALSE(test::FileExists(dir / "archive"));
  EXPECT_THROW(reader.DecompressFile(dir / "block", dir / "no-folder/archive"), EPayloadFileError);
  // The reader goes on to the next stream after a failure.
  EXPECT_TRUE(reader.DecompressFile(dir / "block", dir / "archive"));
}

}  // namespace
}  // namespace velmora::payload
