// Decoding the older methods: shrink, reduce and implode entries of archives written by other
// tools, hand-built streams for the corners the archives do not reach, and damaged input.
#include "zip/OldMethods.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "zip/VCLUnZip.h"

namespace velmora::zip {
namespace {

using test::Bytes;

constexpr size_t kBlockSize = 32768;

// Serves at most `limit` bytes of `data`.
class TVectorSource : public TByteSource {
 public:
  explicit TVectorSource(const Bytes& data, size_t limit = SIZE_MAX)
      : data_(data), limit_(std::min(limit, data.size())) {}
  bool NextByte(uint8_t& byte) override {
    if (position_ >= limit_) return false;
    byte = data_[position_++];
    return true;
  }

 private:
  const Bytes& data_;
  size_t limit_;
  size_t position_ = 0;
};

struct TDecoded {
  Bytes bytes;
  std::vector<size_t> blocks;  // size of each block the sink received
  TExplodeResult result = TExplodeResult::kDone;
};

// Runs the decoder for `method` over the first `limit` bytes of `data`.
TDecoded Decode(int method, uint16_t flag, uint64_t size, const Bytes& data, size_t limit = SIZE_MAX) {
  TVectorSource in(data, limit);
  TDecoded decoded;
  const TBlockSink sink = [&decoded](const uint8_t* block, size_t n) {
    decoded.blocks.push_back(n);
    decoded.bytes.insert(decoded.bytes.end(), block, block + n);
  };
  if (method == 1) {
    Unshrink(in, sink);
  } else if (method >= 2 && method <= 5) {
    Unreduce(in, method - 1, size, sink);
  } else {
    decoded.result = Explode(in, flag, size, sink);
  }
  return decoded;
}

uint32_t Crc(const Bytes& bytes) {
  return uint32_t(crc32(crc32(0, nullptr, 0), bytes.data(), uInt(bytes.size())));
}

bool StartsWith(const Bytes& whole, const Bytes& part) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

struct TOldEntry {
  std::string label;  // archive and entry name, for failure messages
  int method;
  uint16_t flag;
  uint32_t crc;
  uint64_t size;
  Bytes data;  // the compressed bytes
};

const char* const kOldArchives[] = {
    "cc-SHRUNK.ZIP",      "sc-Zip.shrink.zip",  "sc-Zip.reduce1.zip",
    "sc-Zip.reduce2.zip", "sc-Zip.reduce3.zip", "sc-Zip.reduce4.zip",
    "rs-legacy-reduce.zip", "cc-imploding-4Kdict-2trees.zip", "cc-imploding-8Kdict-3trees.zip",
    "sc-Zip.implode.zip",
};

// Every entry of the archives above that uses method 1 to 6, with its compressed bytes.
std::vector<TOldEntry> OldEntries() {
  std::vector<TOldEntry> entries;
  for (const char* archive : kOldArchives) {
    const std::string path = std::string(VELMORA_SHARED_ZIP_DIR) + "/" + archive;
    TVCLUnZip engine;
    engine.SetZipName(path);
    engine.ReadCatalogue();
    const Bytes file = test::ReadFile(path);
    for (int i = 0; i < engine.Count(); ++i) {
      const TZipHeaderInfo& info = engine.Entry(i);
      if (info.compressionMethod < 1 || info.compressionMethod > 6) continue;
      const uint64_t header = info.LocalHeaderOffset64();
      const uint64_t start = header + 30 + (file.at(header + 26) | file.at(header + 27) << 8) +
                             (file.at(header + 28) | file.at(header + 29) << 8);
      const uint64_t end = start + info.CompressedSize64();
      if (end > file.size()) throw std::runtime_error(std::string(archive) + ": entry data past the end");
      entries.push_back({std::string(archive) + " " + info.StoredPath(), info.compressionMethod, info.flag,
                         info.crc32, info.UncompressedSize64(), Bytes(file.begin() + start, file.begin() + end)});
    }
  }
  return entries;
}

class OldMethodsArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::FileExists(VELMORA_SHARED_ZIP_DIR)) GTEST_SKIP() << "no shared test archives";
    entries_ = OldEntries();
  }
  std::vector<TOldEntry> entries_;
};

TEST_F(OldMethodsArchives, EveryEntryDecodesToItsSizeAndCrcInFullBlocks) {
  std::set<std::pair<int, uint16_t>> seen;  // method and implode flag bits
  for (const TOldEntry& entry : entries_) {
    SCOPED_TRACE(entry.label);
    const TDecoded decoded = Decode(entry.method, entry.flag, entry.size, entry.data);
    EXPECT_EQ(decoded.result, TExplodeResult::kDone);
    EXPECT_EQ(decoded.bytes.size(), entry.size);
    EXPECT_EQ(Crc(decoded.bytes), entry.crc);
    for (size_t i = 0; i < decoded.blocks.size(); ++i) {
      if (i + 1 < decoded.blocks.size()) {
        EXPECT_EQ(decoded.blocks[i], kBlockSize);
      } else {
        EXPECT_GT(decoded.blocks[i], 0u);
        EXPECT_LE(decoded.blocks[i], kBlockSize);
      }
    }
    seen.insert({entry.method, entry.method == 6 ? uint16_t(entry.flag & 0x06) : uint16_t(0)});
  }
  const std::set<std::pair<int, uint16_t>> expected = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {6, 6}};
  EXPECT_EQ(seen, expected);
}

TEST_F(OldMethodsArchives, InputCutShortGivesAShorterPrefix) {
  for (const TOldEntry& entry : entries_) {
    const Bytes full = Decode(entry.method, entry.flag, entry.size, entry.data).bytes;
    for (size_t cut : {size_t(0), size_t(1), entry.data.size() / 2, entry.data.size() - 1}) {
      SCOPED_TRACE(entry.label + " cut to " + std::to_string(cut));
      const TDecoded decoded = Decode(entry.method, entry.flag, entry.size, entry.data, cut);
      EXPECT_LT(decoded.bytes.size(), full.size());
      EXPECT_TRUE(StartsWith(full, decoded.bytes));
      // Past the code lengths, running out of input is no fault in the data.
      if (cut >= entry.data.size() / 2) {
        EXPECT_EQ(decoded.result, TExplodeResult::kDone);
      }
    }
  }
}

TEST_F(OldMethodsArchives, AnExceptionFromTheSinkPassesThrough) {
  std::set<int> methods;
  for (const TOldEntry& entry : entries_) {
    if (!methods.insert(entry.method).second) continue;
    SCOPED_TRACE(entry.label);
    TVectorSource in(entry.data);
    int calls = 0;
    const TBlockSink sink = [&calls](const uint8_t*, size_t) {
      ++calls;
      throw std::runtime_error("disk full");
    };
    if (entry.method == 1) {
      EXPECT_THROW(Unshrink(in, sink), std::runtime_error);
    } else if (entry.method <= 5) {
      EXPECT_THROW(Unreduce(in, entry.method - 1, entry.size, sink), std::runtime_error);
    } else {
      EXPECT_THROW(Explode(in, entry.flag, entry.size, sink), std::runtime_error);
    }
    EXPECT_EQ(calls, 1);
  }
}

// Packs values into bytes low bit first, as all three methods read them.
class TBitWriter {
 public:
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  // A code whose first bit is its most significant one.
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void Byte(uint8_t byte) { Bits(byte, 8); }
  Bytes bytes;

 private:
  void Bit(uint32_t bit) {
    if (used_ % 8 == 0) bytes.push_back(0);
    bytes.back() |= uint8_t(bit << (used_ % 8));
    ++used_;
  }
  size_t used_ = 0;
};

// Shrink codes: 9 bits wide until the stream widens them.
Bytes ShrinkCodes(std::initializer_list<std::pair<uint32_t, int>> codes) {
  TBitWriter writer;
  for (auto [code, width] : codes) writer.Bits(code, width);
  return writer.bytes;
}

TEST(OldMethodsUnshrink, HandBuiltCodes) {
  struct Case {
    const char* what;
    Bytes input;
    std::string expected;
  } cases[] = {
      {"a code that is not yet defined repeats the previous string", ShrinkCodes({{'a', 9}, {257, 9}}), "aaa"},
      {"256,1 widens the codes that follow",
       ShrinkCodes({{'a', 9}, {'b', 9}, {257, 9}, {256, 9}, {1, 9}, {258, 10}, {'c', 10}}), "ababbac"},
      {"a code past the next free slot ends decoding", ShrinkCodes({{'a', 9}, {300, 9}, {'b', 9}}), "a"},
      {"an unknown command ends decoding", ShrinkCodes({{'a', 9}, {256, 9}, {3, 9}, {'b', 9}}), "a"},
      {"a leading undefined code gives nothing", ShrinkCodes({{257, 9}, {'a', 9}}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes out = Decode(1, 0, 0, c.input).bytes;
    EXPECT_EQ(std::string(out.begin(), out.end()), c.expected);
  }
}

TEST(OldMethodsUnshrink, PartialClearFreesLeavesAndReusesTheLowestFirst) {
  // Before the clear: 257 "ab", 258 "ba", 259 "abc". Only 257 extends into another string, so
  // 258 and 259 are freed and refilled: 258 becomes "ca", 259 "abc" again.
  const Bytes input = ShrinkCodes({{'a', 9}, {'b', 9}, {257, 9}, {'c', 9}, {256, 9}, {2, 9},
                                   {257, 9}, {258, 9}, {259, 9}});
  const Bytes out = Decode(1, 0, 0, input).bytes;
  EXPECT_EQ(std::string(out.begin(), out.end()), "ababcabcaabc");
}

// Reduce data whose follower sets are all empty, so each intermediate byte is stored as is.
Bytes ReduceStream(const Bytes& intermediate) {
  const size_t setSizes = 256 * 6 / 8;  // 256 zero sizes of 6 bits
  Bytes data(setSizes + intermediate.size(), 0);
  std::copy(intermediate.begin(), intermediate.end(), data.begin() + setSizes);
  return data;
}

TEST(OldMethodsUnreduce, EscapesAndReferences) {
  Bytes counting;  // 300 bytes 0, 1, 2, ... with the escape byte escaped
  for (int i = 0; i < 300; ++i) {
    counting.push_back(uint8_t(i));
    if (uint8_t(i) == 144) counting.push_back(0);
  }
  Bytes countingThenReference = counting;
  // Factor 4: V = 0x13 gives length 3 + 3 and distance 1 * 256 + 43 + 1 = 300.
  countingThenReference.insert(countingThenReference.end(), {144, 0x13, 43});
  Bytes countingExpected;
  for (int i = 0; i < 300; ++i) countingExpected.push_back(uint8_t(i));
  countingExpected.insert(countingExpected.end(), {0, 1, 2, 3, 4, 5});

  struct Case {
    const char* what;
    int factor;
    Bytes intermediate;
    uint64_t size;
    Bytes expected;
  } cases[] = {
      {"144 then 0 is the byte 144", 1, {'A', 144, 0, 'B'}, 3, {'A', 144, 'B'}},
      {"bytes before the start read as zeros, copies overlap", 1, {'A', 144, 2, 2}, 6, {'A', 0, 0, 'A', 0, 0}},
      {"all-ones length bits take a length byte", 1, {'B', 144, 0x7F, 5, 0}, 136, Bytes(136, 'B')},
      {"the size ends a reference early", 2, {'D', 144, 5, 0, 'E'}, 4, Bytes(4, 'D')},
      {"the factor picks the distance's high bits", 4, countingThenReference, 306, countingExpected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decode(c.factor + 1, 0, c.size, ReduceStream(c.intermediate)).bytes, c.expected);
  }
}

// Implode data with codes of one length each: literals 8 bits, lengths and distances 6 bits.
// Symbol s then has code (count - 1 - s), as the longest-first assignment gives for equal lengths.
class TImplodeWriter {
 public:
  explicit TImplodeWriter(uint16_t flag) : flag_(flag) {
    if (literalCode()) bytes_ = {15, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7,
                                 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7};
    for (int tree = 0; tree < 2; ++tree) bytes_.insert(bytes_.end(), {3, 0xF5, 0xF5, 0xF5, 0xF5});
  }
  TImplodeWriter& Literal(uint8_t byte) {
    bits_.Bits(1, 1);
    if (literalCode()) {
      bits_.Code(255 - byte, 8);
    } else {
      bits_.Byte(byte);
    }
    return *this;
  }
  TImplodeWriter& Match(uint32_t distance, uint32_t length) {
    const int lowBits = (flag_ & 0x02) ? 7 : 6;
    const uint32_t d = distance - 1, l = length - (literalCode() ? 3 : 2);
    bits_.Bits(0, 1);
    bits_.Bits(d & ((1u << lowBits) - 1), lowBits);
    bits_.Code(63 - (d >> lowBits), 6);
    bits_.Code(63 - std::min<uint32_t>(l, 63), 6);
    if (l >= 63) bits_.Byte(uint8_t(l - 63));
    return *this;
  }
  Bytes Data() const {
    Bytes data = bytes_;
    data.insert(data.end(), bits_.bytes.begin(), bits_.bytes.end());
    return data;
  }

 private:
  bool literalCode() const { return (flag_ & 0x04) != 0; }
  uint16_t flag_;
  Bytes bytes_;  // the code lengths
  TBitWriter bits_;
};

TEST(OldMethodsExplode, EachWindowAndCodeCombination) {
  struct Case {
    const char* what;
    uint16_t flag;
    Bytes data;
    uint64_t size;
    Bytes expected;
  } cases[] = {
      {"4K, two codes: bytes before the start read as zeros", 0,
       TImplodeWriter(0).Literal('A').Match(3, 5).Data(), 6, {'A', 0, 0, 'A', 0, 0}},
      {"8K, two codes: distances use 7 low bits", 2,
       TImplodeWriter(2).Literal('q').Literal('r').Match(200, 2).Match(4, 2).Literal('s').Data(), 7,
       {'q', 'r', 0, 0, 'q', 'r', 's'}},
      {"4K, three codes: literal code, 3-byte minimum", 4,
       TImplodeWriter(4).Literal(0x90).Literal(0xFF).Match(2, 3).Data(), 5, {0x90, 0xFF, 0x90, 0xFF, 0x90}},
      {"8K, three codes: length 63 takes a length byte", 6,
       TImplodeWriter(6).Literal('x').Match(1, 68).Data(), 69, Bytes(69, 'x')},
      {"the size ends a match early", 0, TImplodeWriter(0).Literal('z').Match(1, 10).Data(), 4, Bytes(4, 'z')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TDecoded decoded = Decode(6, c.flag, c.size, c.data);
    EXPECT_EQ(decoded.result, TExplodeResult::kDone);
    EXPECT_EQ(decoded.bytes, c.expected);
  }
}

TEST(OldMethodsExplode, CodeLengthsThatMakeNoCodeAreMalformed) {
  const Bytes evenTree = {3, 0xF5, 0xF5, 0xF5, 0xF5};  // 64 codes of 6 bits
  auto then = [](Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Case {
    const char* what;
    uint16_t flag;
    Bytes data;
  } cases[] = {
      {"more codes than the lengths leave room for", 0, then({3, 0xF0, 0xF0, 0xF0, 0xF0}, evenTree)},
      // One 7-bit and 63 6-bit codes fit in number, but the 7-bit code, counted first, leaves the
      // 6-bit codes off their boundaries.
      {"codes that are not prefix-free", 0, then({4, 0x06, 0xF5, 0xF5, 0xF5, 0xE5}, evenTree)},
      {"lengths for more than 64 symbols", 0, then({4, 0xF5, 0xF5, 0xF5, 0xF5, 0xF5}, evenTree)},
      {"lengths for fewer than 64 symbols", 0, then({2, 0xF5, 0xF5, 0xF5}, evenTree)},
      {"an overfull distance code after a good length code", 2, then(evenTree, {3, 0xF1, 0xF5, 0xF5, 0xF5})},
      {"an overfull literal code", 4, then(then({15}, Bytes(16, 0xF0)), then(evenTree, evenTree))},
      {"lengths cut short", 0, {3, 0xF5, 0xF5}},
      {"no input", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TDecoded decoded = Decode(6, c.flag, 100, c.data);
    EXPECT_EQ(decoded.result, TExplodeResult::kMalformed);
    EXPECT_TRUE(decoded.bytes.empty());
  }
}

// Random bytes, alone and after valid code lengths, end without a fault and within the size.
TEST(OldMethodsGarbage, RandomInputEndsQuietly) {
  std::mt19937 random(20240607);
  const Bytes implodeCodes = {3, 0xF5, 0xF5, 0xF5, 0xF5, 3, 0xF5, 0xF5, 0xF5, 0xF5};
  for (int round = 0; round < 200; ++round) {
    Bytes noise(size_t(random() % 3000));
    for (uint8_t& b : noise) b = uint8_t(random());
    const uint64_t size = 1 + random() % 100000;
    Bytes afterCodes = implodeCodes;
    afterCodes.insert(afterCodes.end(), noise.begin(), noise.end());
    for (int method = 1; method <= 6; ++method) {
      const TDecoded decoded = Decode(method, uint16_t(random() & 0x06), size, method == 6 ? afterCodes : noise);
      if (method > 1) {
        EXPECT_LE(decoded.bytes.size(), size);
      }
      for (size_t block : decoded.blocks) EXPECT_LE(block, kBlockSize);
    }
    Decode(6, uint16_t(random() & 0x06), size, noise);
  }
}

}  // namespace
}  // namespace velmora::zip
