// The ZIP engine's entry decoding: finding an entry's data through its local header, the stored
// copy and raw deflate, and the output routine that guards sizes and keeps the CRC. OS-independent.
#include <zlib.h>

#include <cmath>
#include <cstring>

#include "platform/ByteOrder.h"
#include "zip/ExtractRun.h"
#include "zip/OldMethods.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFormat.h"

namespace velmora::zip {

namespace {

constexpr int kMessageUnknownMethod = 197;
constexpr const char* kMsgUnknownMethod = "Unknown Compression Method";
constexpr const char* kCaptionZipError = "Zip Error";
constexpr int kMessageOutOfMemory = 193;
constexpr const char* kMsgOutOfMemory = "*** inflate out of memory ***";
constexpr const char* kCaptionError = "Error";
constexpr uint16_t kMethodShrunk = 1;
constexpr uint16_t kMethodReducedFirst = 2;
constexpr uint16_t kMethodReducedLast = 5;
constexpr uint16_t kMethodImploded = 6;

// The data starts after the local header's own name and extra lengths.
int64_t DataOffset(TStream& archive, const TZipHeaderInfo& entry, uint16_t& localExtraLength) {
  uint8_t h[kLocalHeaderSize] = {};
  archive.Seek(int64_t(entry.LocalHeaderOffset64()), TSeekOrigin::soBeginning);
  archive.Read(h, sizeof h);  // the signature is not checked
  localExtraLength = ReadLE16(h + 28);
  return int64_t(entry.LocalHeaderOffset64()) + kLocalHeaderSize + ReadLE16(h + 26) + localExtraLength;
}

}  // namespace

int Percent(int64_t done, int64_t total) {
  if (total <= 0) return 0;
  const long double exact = static_cast<long double>(done) * 100.0L / static_cast<long double>(total);
  const long double rounded = std::nearbyint(exact);  // the default rounding: to nearest, ties to even
  return rounded > 100 ? 100 : int(rounded);
}

void TVCLUnZip::MessagePoint() {
  if (DoProcessMessages) services_.ProcessMessages();
}

void TVCLUnZip::LocateEntryData(TZipHeaderInfo& entry) {
  // An entry of a multi-part archive starts in the part its disk number names.
  if (endCentral_.ThisDisk() != 0 && int(entry.DiskNumberStart32()) != currentDisk_) {
    OpenPart(int(entry.DiskNumberStart32()) + 1);
  }
  archive_->Seek(DataOffset(*archive_, entry, entry.localExtraLength), TSeekOrigin::soBeginning);
}

uint64_t TVCLUnZip::EncryptionOverhead(const TZipHeaderInfo& entry) {
  if (!entry.Encrypted()) return 0;
  if (entry.AesEncrypted()) return TAesDecryptor::SaltSize(entry.encryptionStrength) + kAesVerifierSize + kAesAuthCodeSize;
  return kTraditionalHeaderSize;
}

bool TVCLUnZip::CheckPassword(EntryStep& step) {
  const TZipHeaderInfo& entry = step.entry;
  step.traditional.reset();
  step.aes.reset();
  uint8_t header[16 + kAesVerifierSize];
  if (entry.AesEncrypted()) {
    const size_t salt = TAesDecryptor::SaltSize(entry.encryptionStrength);
    if (salt == 0 || ReadArchive(header, salt + kAesVerifierSize) != salt + kAesVerifierSize) return false;
    auto aes = std::make_unique<TAesDecryptor>();
    if (!aes->Init(Password, entry.encryptionStrength, header, header + salt)) return false;
    step.aes = std::move(aes);
    return true;
  }
  if (ReadArchive(header, kTraditionalHeaderSize) != kTraditionalHeaderSize) return false;
  // With sizes after the data the header checks the time instead of the CRC.
  const uint8_t check = (entry.flag & kFlagDataDescriptor) ? uint8_t(entry.dateTime >> 8) : uint8_t(entry.crc32 >> 24);
  auto traditional = std::make_unique<TTraditionalDecryptor>(Password);
  if (!traditional->CheckHeader(header, check)) return false;
  step.traditional = std::move(traditional);
  return true;
}

void TVCLUnZip::DecodeEntryData(Run& run, EntryStep& step, TStream& out) {
  TZipHeaderInfo& entry = step.entry;
  step.crc = 0xFFFFFFFF;
  step.bytesWritten = 0;
  archive_->Seek(DataOffset(*archive_, entry, entry.localExtraLength), TSeekOrigin::soBeginning);
  // Past the encryption header; the authentication code after the data is not data.
  const uint64_t overhead = EncryptionOverhead(entry);
  const int64_t header = entry.AesEncrypted() ? int64_t(overhead - kAesAuthCodeSize) : int64_t(overhead);
  archive_->Seek(header, TSeekOrigin::soCurrent);
  step.compressedLeft = int64_t(entry.CompressedSize64()) - int64_t(overhead);
  switch (entry.compressionMethod) {
    case kMethodStored:
      return CopyStored(run, step, out);
    case kMethodDeflated:
      return Inflate(run, step, out);
    default:
      break;
  }
  if (entry.compressionMethod >= kMethodShrunk && entry.compressionMethod <= kMethodImploded) {
    return DecodeOlderMethod(run, step, out);
  }
  HandleMessage(kMessageUnknownMethod, kMsgUnknownMethod, kCaptionZipError, 0);
}

// The older methods read single bytes: blocks come from ReadInputBlock, and a counter of the
// compressed bytes still to deliver ends the input.
class TVCLUnZip::EntryBytes : public TByteSource {
 public:
  EntryBytes(TVCLUnZip& engine, Run& run, EntryStep& step)
      : engine_(engine), run_(run), step_(step), left_(step.compressedLeft) {}
  bool NextByte(uint8_t& byte) override {
    if (left_ <= 0) return false;
    if (at_ == size_) {
      size_ = engine_.ReadInputBlock(run_, step_);
      at_ = 0;
      if (size_ == 0) return false;
    }
    --left_;
    byte = run_.input[at_++];
    return true;
  }

 private:
  TVCLUnZip& engine_;
  Run& run_;
  EntryStep& step_;
  int64_t left_;
  size_t at_ = 0;
  size_t size_ = 0;
};

void TVCLUnZip::DecodeOlderMethod(Run& run, EntryStep& step, TStream& out) {
  const TZipHeaderInfo& entry = step.entry;
  EntryBytes in(*this, run, step);
  const TBlockSink sink = [&](const uint8_t* data, size_t size) {
    std::memcpy(run.output.data(), data, size);
    WriteOutputBlock(run, step, out, size);
  };
  const uint64_t size = entry.UncompressedSize64();
  const uint16_t method = entry.compressionMethod;
  if (method == kMethodShrunk) return Unshrink(in, sink);
  if (method >= kMethodReducedFirst && method <= kMethodReducedLast) {
    return Unreduce(in, method - kMethodShrunk, size, sink);
  }
  // A malformed tree just ends the data: the CRC verdict then fails the entry.
  if (Explode(in, entry.flag, size, sink) == TExplodeResult::kOutOfMemory) {
    HandleMessage(kMessageOutOfMemory, kMsgOutOfMemory, kCaptionError, 0);
  }
}

void TVCLUnZip::Decrypt(EntryStep& step, uint8_t* data, size_t size) {
  if (step.aes) step.aes->Decrypt(data, size);
  if (step.traditional) step.traditional->Decrypt(data, size);
}

void TVCLUnZip::CopyStored(Run& run, EntryStep& step, TStream& out) {
  while (step.compressedLeft > 0) {
    MessagePoint();
    const size_t block = size_t(std::min<int64_t>(kBlockSize, step.compressedLeft));
    step.compressedLeft -= int64_t(block);
    const size_t got = ReadArchive(run.output.data(), block);
    if (got < block) throw EFatalUnzipError(kMsgPrematureEnd);
    WriteOutputBlock(run, step, out, block);
  }
}

size_t TVCLUnZip::ReadInputBlock(Run& run, EntryStep& step) {
  MessagePoint();
  const size_t block = size_t(std::min<int64_t>(kBlockSize, std::max<int64_t>(step.compressedLeft, 0)));
  step.compressedLeft -= int64_t(block);
  const size_t got = ReadArchive(run.input.data(), block);
  if (got < block) throw EFatalUnzipError(kMsgPrematureEnd);
  if (step.entry.Encrypted()) Decrypt(step, run.input.data(), got);
  return got;
}

void TVCLUnZip::Inflate(Run& run, EntryStep& step, TStream& out) {
  z_stream z{};
  z.next_out = run.output.data();
  z.avail_out = kBlockSize;
  z.avail_in = static_cast<uInt>(ReadInputBlock(run, step));
  z.next_in = run.input.data();
  // Raw deflate: no zlib or gzip wrapper, a 32 KiB window.
  if (inflateInit2_(&z, -15, "1.2.3", int(sizeof(z_stream))) < 0) throw EZCompressionError(kMsgZlibError);
  struct End {
    z_stream* z;
    bool done = false;
    ~End() {
      if (!done) inflateEnd(z);
    }
  } end{&z};
  int result;
  do {
    if (z.avail_in == 0) {
      z.avail_in = static_cast<uInt>(ReadInputBlock(run, step));
      z.next_in = run.input.data();
    }
    result = inflate(&z, Z_NO_FLUSH);
    if (result < 0) throw EZCompressionError(kMsgZlibError);
    if (z.avail_out == 0 || result == Z_STREAM_END) {
      WriteOutputBlock(run, step, out, kBlockSize - z.avail_out);
      z.next_out = run.output.data();
      z.avail_out = kBlockSize;
    }
  } while (result != Z_STREAM_END);
  end.done = true;
  if (inflateEnd(&z) < 0) throw EZCompressionError(kMsgZlibError);
}

void TVCLUnZip::WriteOutputBlock(Run& run, EntryStep& step, TStream& out, size_t count) {
  if (count == 0) return;
  const TZipHeaderInfo& entry = step.entry;
  if (entry.Encrypted() && entry.compressionMethod == kMethodStored) Decrypt(step, run.output.data(), count);
  if (uint64_t(out.Position()) + count > entry.UncompressedSize64()) {
    throw EBiggerThanUncompressed(kMsgBiggerThanUncompressed);
  }
  if (out.Write(run.output.data(), count) != count) throw ECantWriteUCF(kMsgCantWrite);
  // zlib's crc32 works on the finished value; the register is its ones' complement.
  step.crc = ~static_cast<uint32_t>(crc32(~step.crc, run.output.data(), static_cast<uInt>(count)));
  step.bytesWritten += int64_t(count);
  run.bytesDone += int64_t(count);
  if (OnFilePercentDone) OnFilePercentDone(this, Percent(step.bytesWritten, int64_t(entry.UncompressedSize64())));
  if (OnTotalPercentDone) OnTotalPercentDone(this, Percent(run.bytesDone, run.totalBytes));
}

}  // namespace velmora::zip
