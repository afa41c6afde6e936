// The engine's buffered stream: read-ahead, pending writes, seeks and closing.
#include "zip/Streams.h"

#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {
namespace {

// An in-memory stream that counts the calls that reach it and can refuse writes.
class CountingStream : public TStream {
 public:
  test::Bytes data;
  int64_t position = 0;
  int reads = 0;
  std::vector<size_t> writeSizes;
  bool refuseWrites = false;

  size_t Read(void* buffer, size_t count) override {
    ++reads;
    const size_t n = position >= int64_t(data.size()) ? 0 : std::min(count, data.size() - size_t(position));
    std::memcpy(buffer, data.data() + position, n);
    position += int64_t(n);
    return n;
  }
  size_t Write(const void* buffer, size_t count) override {
    writeSizes.push_back(count);
    if (refuseWrites) return 0;
    if (size_t(position) + count > data.size()) data.resize(size_t(position) + count);
    std::memcpy(data.data() + position, buffer, count);
    position += int64_t(count);
    return count;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    position = origin == TSeekOrigin::soBeginning ? offset
               : origin == TSeekOrigin::soCurrent ? position + offset
                                                  : int64_t(data.size()) + offset;
    return position;
  }
  bool SetSize(int64_t size) override {
    data.resize(size_t(size));
    return true;
  }
};

// Counts the requests to flush to disk in a counter that outlives the stream.
class FlushCountingStream : public TS_BufferStream {
 public:
  FlushCountingStream(TStream* underlying, bool flushOnClose, int& flushes)
      : TS_BufferStream(underlying, 8192, flushOnClose), flushes_(flushes) {}
  ~FlushCountingStream() override { Finish(); }

 protected:
  void FlushToDisk() override { ++flushes_; }

 private:
  int& flushes_;
};

test::Bytes Pattern(size_t n) {
  test::Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + i / 256);
  return b;
}

TEST(TS_BufferStream, ReadsInBufferSizedChunksAndSeekingToThePositionKeepsTheReadAhead) {
  CountingStream file;
  file.data = Pattern(20000);
  TS_BufferStream s(&file, 8192, false);
  test::Bytes got(30);
  ASSERT_EQ(s.Read(got.data(), 30), 30u);
  EXPECT_EQ(file.reads, 1);
  EXPECT_EQ(s.Position(), 30);
  EXPECT_EQ(s.Seek(30, TSeekOrigin::soBeginning), 30);
  EXPECT_EQ(s.Seek(0, TSeekOrigin::soCurrent), 30);
  ASSERT_EQ(s.Read(got.data(), 30), 30u);
  EXPECT_EQ(file.reads, 1);  // still from the same buffer
  EXPECT_TRUE(test::Bytes(file.data.begin() + 30, file.data.begin() + 60) == got);

  // A real seek drops the buffer; reading to the end delivers exactly what is left.
  EXPECT_EQ(s.Seek(-100, TSeekOrigin::soEnd), 19900);
  test::Bytes rest(500);
  EXPECT_EQ(s.Read(rest.data(), rest.size()), 100u);
  EXPECT_EQ(s.Read(rest.data(), 1), 0u);
}

TEST(TS_BufferStream, WritesGoOutInWholeBuffersAndThePendingRestAtTheEnd) {
  CountingStream file;
  const test::Bytes data = Pattern(20000);
  int flushes = 0;
  {
    FlushCountingStream s(&file, true, flushes);
    EXPECT_EQ(s.Write(data.data(), data.size()), data.size());
    EXPECT_EQ(s.Position(), 20000);
    EXPECT_EQ(file.writeSizes, (std::vector<size_t>{8192, 8192}));
    EXPECT_EQ(s.BufferState(), TS_BufferStream::kPendingWrite);
  }  // the last 3,616 bytes are written when the stream goes
  EXPECT_EQ(file.writeSizes.back(), 3616u);
  EXPECT_TRUE(file.data == data);
  EXPECT_EQ(flushes, 1);
}

TEST(TS_BufferStream, AReaderNeverFlushesEvenWithFlushOnClose) {
  CountingStream file;
  file.data = Pattern(100);
  int flushes = 0;
  {
    FlushCountingStream reader(&file, true, flushes);
    test::Bytes got(10);
    reader.Read(got.data(), got.size());
  }
  EXPECT_EQ(flushes, 0);
}

TEST(TS_BufferStream, FailedWritesReportWhatReachedTheFileAndASeekRaises) {
  CountingStream file;
  const test::Bytes data = Pattern(20000);
  TS_BufferStream s(&file, 8192, false);
  ASSERT_EQ(s.Write(data.data(), 100), 100u);
  file.refuseWrites = true;
  EXPECT_EQ(s.Write(data.data(), 10000), 0u);  // the first full buffer failed: none of it arrived
  file.refuseWrites = false;
  ASSERT_EQ(s.Write(data.data(), 10), 10u);
  file.refuseWrites = true;
  try {
    s.Seek(0, TSeekOrigin::soBeginning);
    FAIL() << "no exception";
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Seek error");
  }
}

TEST(TLFNFileStream, PresizedOutputFileEndsAtItsFinalLength) {
  test::ScratchDir dir;
  {
    TLFNFileStream out(dir / "out.bin", sys::OpenMode::kCreateExclusive, 8192, false);
    ASSERT_TRUE(out.SetSize(50000));
    EXPECT_EQ(out.Seek(0, TSeekOrigin::soBeginning), 0);
    EXPECT_EQ(out.BufferState(), TS_BufferStream::kEmpty);
    EXPECT_EQ(out.GetSize(), 50000);
    out.Write("head", 4);
  }
  const test::Bytes written = test::ReadFile(dir / "out.bin");
  ASSERT_EQ(written.size(), 50000u);
  EXPECT_EQ(std::string(written.begin(), written.begin() + 4), "head");
  EXPECT_THROW(TLFNFileStream(dir / "missing.bin", sys::OpenMode::kReadDenyWrite, 8192, false), EFOpenError);
  EXPECT_THROW(TLFNFileStream(dir / "no/such/out.bin", sys::OpenMode::kCreateExclusive, 8192, false), EFCreateError);
}

}  // namespace
}  // namespace velmora::zip
