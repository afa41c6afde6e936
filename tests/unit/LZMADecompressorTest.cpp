// Header rules, error codes, input refills and restarts of the raw LZMA1 decompressor, on streams
// made by Python's lzma, xz and 7-Zip.
#include "payload/LZMADecompressor.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "payload/CompressErrors.h"
#include "payload/PayloadFormat.h"

namespace velmora::payload {
namespace {

using test::ByteSource;
using test::Bytes;
using test::Fixture;

Bytes WithHeader(Bytes stream, uint8_t properties, uint32_t dictionarySize) {
  stream[0] = properties;
  WriteLE32(stream.data() + 1, dictionarySize);
  return stream;
}

// Decodes `count` bytes from `stream`; returns them, or the data error's code as a negative number.
struct Outcome {
  Bytes bytes;
  int errorCode = 0;
};

Outcome Decode(const Bytes& stream, size_t count, size_t maxChunk = SIZE_MAX) {
  ByteSource source(stream, maxChunk);
  TLZMADecompressor d([&](uint8_t* b, int32_t c) { return source.Read(b, c); });
  Outcome o;
  o.bytes.resize(count);
  try {
    d.ReadDecompressed(o.bytes.data(), count);
  } catch (const ECompressDataError& e) {
    o.errorCode = e.Code();
  }
  return o;
}

TEST(LZMADecompressor, DecodesStreamsOfIndependentEncoders) {
  for (const char* name : {"python-eopm", "xz-eopm", "7zz-no-eopm"}) {
    SCOPED_TRACE(name);
    const Bytes plain = Fixture(std::string(name) + ".plain");
    const Outcome o = Decode(Fixture(std::string(name) + ".lzma"), plain.size());
    EXPECT_EQ(o.errorCode, 0);
    EXPECT_TRUE(o.bytes == plain);
  }
}

TEST(LZMADecompressor, ReadingPastTheDataGivesCode6AtTheMarkerAndCode5WithoutIt) {
  const size_t size = Fixture("python-eopm.plain").size();
  EXPECT_EQ(Decode(Fixture("python-eopm.lzma"), size + 1).errorCode, 6);
  EXPECT_EQ(Decode(Fixture("xz-eopm.lzma"), size + 1).errorCode, 6);
  // Without an end marker the decoder can only run out of input (the range coder's last bytes may
  // still decode to a little garbage first).
  EXPECT_EQ(Decode(Fixture("7zz-no-eopm.lzma"), size + 4096).errorCode, 5);
}

TEST(LZMADecompressor, HeaderRules) {
  const Bytes stream = Fixture("python-eopm.lzma");
  const size_t size = Fixture("python-eopm.plain").size();
  struct Case {
    const char* what;
    Bytes stream;
    int code;
  } cases[] = {
      {"dictionary of exactly 32 MiB", WithHeader(stream, 0x5D, 33554432), 0},
      {"dictionary one byte over 32 MiB", WithHeader(stream, 0x5D, 33554433), 7},
      {"properties byte 225", WithHeader(stream, 225, 1 << 20), 3},
      {"properties byte 255", WithHeader(stream, 255, 1 << 20), 3},
      {"four header bytes", Bytes(stream.begin(), stream.begin() + 4), 1},
      {"no input at all", Bytes(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decode(c.stream, size).errorCode, c.code);
  }
}

TEST(LZMADecompressor, DictionarySizeZeroIsAccepted) {
  const Bytes stream = WithHeader(Fixture("one-byte-run.lzma"), 0x5D, 0);
  const Outcome o = Decode(stream, 5000);
  EXPECT_EQ(o.errorCode, 0);
  EXPECT_TRUE(o.bytes == Fixture("one-byte-run.plain"));
}

// The core keeps at least 4 KiB of dictionary, whatever the header says.
TEST(LZMADecompressor, DictionariesBelow4KiBActAs4KiB) {
  struct Case {
    const char* stream;  // its second half repeats the first, a match that many bytes back
    uint32_t dictionary;
    int code;
  } cases[] = {
      {"match-4096", 0, 0}, {"match-4096", 1, 0},    {"match-4096", 4095, 0},
      {"match-4097", 1, 5}, {"match-4097", 4096, 5}, {"match-4097", 4097, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stream) + " " + std::to_string(c.dictionary));
    const Bytes plain = Fixture(std::string(c.stream) + ".plain");
    const Outcome o = Decode(WithHeader(Fixture(std::string(c.stream) + ".lzma"), 0x5D, c.dictionary), plain.size());
    EXPECT_EQ(o.errorCode, c.code);
    if (c.code == 0) EXPECT_TRUE(o.bytes == plain);
  }
}

TEST(LZMADecompressor, LiteralSettingsBeyondTheCoreAreAnInternalError) {
  // 224 is lc 8, lp 4, pb 4: a valid header whose model needs (1846 + 768 << 12) * 2 bytes.
  ByteSource source(WithHeader(Fixture("python-eopm.lzma"), 224, 1 << 20));
  TLZMADecompressor d([&](uint8_t* b, int32_t c) { return source.Read(b, c); });
  uint8_t out[4];
  try {
    d.ReadDecompressed(out, sizeof out);
    FAIL() << "no error";
  } catch (const ECompressInternalError& e) {
    // liblzma refuses lc + lp > 4 with its programming-error status, 11; "失败" in GBK.
    EXPECT_STREQ(e.what(), "lzma: LzmaDecode \xca\xa7\xb0\xdc (11)");
  }
  EXPECT_EQ(LzmaModelSize(8, 4), (1846u + 768u * 4096u) * 2u);
}

TEST(LZMADecompressor, CorruptAndTruncatedDataGiveCode5) {
  Bytes corrupt = Fixture("python-eopm.lzma");
  corrupt[5] = 0xFF;  // the range coder's first byte must be zero
  const Bytes full = Fixture("python-eopm.lzma");
  const Bytes truncated(full.begin(), full.begin() + full.size() / 2);
  const size_t size = Fixture("python-eopm.plain").size();
  EXPECT_EQ(Decode(corrupt, size).errorCode, 5);
  EXPECT_EQ(Decode(truncated, size).errorCode, 5);
}

TEST(LZMADecompressor, PullsTheHeaderThenWholeBuffersAndCopesWithShortReads) {
  const Bytes stream = Fixture("python-eopm.lzma");
  const Bytes plain = Fixture("python-eopm.plain");
  ByteSource source(stream);
  TLZMADecompressor d([&](uint8_t* b, int32_t c) { return source.Read(b, c); });
  Bytes out(plain.size());
  d.ReadDecompressed(out.data(), out.size());
  ASSERT_GE(source.requests.size(), 3u);
  EXPECT_EQ(source.requests[0], 5);
  for (size_t i = 1; i < source.requests.size(); ++i) EXPECT_EQ(source.requests[i], 65536);

  // A source that never gives more than 777 bytes yields the same output.
  EXPECT_TRUE(Decode(stream, plain.size(), 777).bytes == plain);
}

TEST(LZMADecompressor, ExactCountsAcrossCallsAndAfterTheMarker) {
  const Bytes plain = Fixture("python-eopm.plain");
  ByteSource source(Fixture("python-eopm.lzma"));
  TLZMADecompressor d([&](uint8_t* b, int32_t c) { return source.Read(b, c); });
  Bytes out(plain.size());
  size_t done = 0;
  for (size_t step : {1u, 3u, 70000u}) {
    d.ReadDecompressed(out.data() + done, step);
    done += step;
  }
  d.ReadDecompressed(out.data() + done, plain.size() - done);
  EXPECT_TRUE(out == plain);
  uint8_t more;
  EXPECT_THROW(d.ReadDecompressed(&more, 1), ECompressDataError);
  d.ReadDecompressed(&more, 0);  // a zero count asks for nothing, even at the end
}

TEST(LZMADecompressor, ZeroCountOnAFreshObjectStillReadsTheHeader) {
  uint8_t none;
  ByteSource bad(WithHeader(Fixture("python-eopm.lzma"), 225, 1 << 20));
  TLZMADecompressor d1([&](uint8_t* b, int32_t c) { return bad.Read(b, c); });
  EXPECT_THROW(d1.ReadDecompressed(&none, 0), ECompressDataError);

  ByteSource good(Fixture("python-eopm.lzma"));
  TLZMADecompressor d2([&](uint8_t* b, int32_t c) { return good.Read(b, c); });
  d2.ReadDecompressed(&none, 0);
  EXPECT_TRUE(d2.HeaderProcessed());
  EXPECT_EQ(good.requests, std::vector<int32_t>{5});
  EXPECT_EQ(d2.Header().dictionarySize, 1u << 20);
  EXPECT_EQ(d2.WorkSize(), LzmaModelSize(3, 0) + (1u << 20));
}

TEST(LZMADecompressor, RestartBeginsANewStreamAndClearsEndOfInput) {
  const Bytes first = Fixture("short-payload.plain");
  const Bytes second = Fixture("xz-eopm.plain");
  ByteSource source(Fixture("short-payload.lzma"));
  TLZMADecompressor d([&](uint8_t* b, int32_t c) { return source.Read(b, c); });
  Bytes out(first.size());
  d.ReadDecompressed(out.data(), out.size());
  EXPECT_TRUE(out == first);
  uint8_t more;
  EXPECT_THROW(d.ReadDecompressed(&more, 1), ECompressDataError);  // ended and input exhausted

  source.Replace(Fixture("xz-eopm.lzma"));
  d.Restart();
  EXPECT_FALSE(d.HeaderProcessed());
  out.resize(second.size());
  d.ReadDecompressed(out.data(), out.size());
  EXPECT_TRUE(out == second);
}

TEST(CompressErrors, MessagesAreFixedGbkTexts) {
  // "lzma: 压缩数据已损坏 (5)" in code page 936.
  EXPECT_STREQ(ECompressDataError(5).what(), "lzma: \xd1\xb9\xcb\xf5\xca\xfd\xbe\xdd\xd2\xd1\xcb\xf0\xbb\xb5 (5)");
  EXPECT_STREQ(ECompressInternalError(11).what(), "lzma: LzmaDecode \xca\xa7\xb0\xdc (11)");
  EXPECT_STREQ(ECompressDataError(1).ClassName(), "ECompressDataError");
  EXPECT_STREQ(ECompressInternalError(1).ClassName(), "ECompressInternalError");
}

}  // namespace
}  // namespace velmora::payload
