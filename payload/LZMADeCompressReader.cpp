// Decoding a whole length-prefixed payload. OS-independent.
#include "payload/LZMADeCompressReader.h"

#include <cstdio>
#include <memory>
#include <new>

#include "payload/CompressErrors.h"
#include "payload/PayloadFormat.h"
#include "platform/SysFile.h"
#include "platform/SysFs.h"

namespace velmora::payload {

namespace {

// A length field of 2 GiB or more is negative as a signed count and cannot be honoured.
class ELengthError : public std::runtime_error {
 public:
  explicit ELengthError(uint32_t length) : std::runtime_error(Describe(length)) {}

 private:
  static std::string Describe(uint32_t length) {
    char text[96];
    std::snprintf(text, sizeof text, "archive length %u is 2 GiB or more", static_cast<unsigned>(length));
    return text;
  }
};

}  // namespace

TLZMADeCompressReader::TLZMADeCompressReader()
    : TLZMADecompressor([this](uint8_t* buffer, int32_t count) { return ReadInput(buffer, count); }) {}

int32_t TLZMADeCompressReader::ReadInput(uint8_t* buffer, int32_t count) {
  if (!source_ || count <= 0) return 0;
  return source_(buffer, count);
}

uint32_t TLZMADeCompressReader::StartArchive(Source source) {
  source_ = std::move(source);
  Restart();
  uint8_t prefix[kLengthPrefixSize];
  ReadDecompressed(prefix, sizeof prefix);
  const uint32_t length = ReadLE32(prefix);
  if (length > kMaxArchiveSize) throw ELengthError(length);
  return length;
}

template <typename Decode>
bool TLZMADeCompressReader::Decoding(Decode decode) {
  lastError_ = {};
  try {
    decode();
    return true;
  } catch (const EPayloadFileError&) {
    throw;
  } catch (const ECompressError& e) {
    lastError_ = {e.ClassName(), e.what()};
  } catch (const ELengthError& e) {
    lastError_ = {"ERangeError", e.what()};
  } catch (const std::bad_alloc&) {
    lastError_ = {"EOutOfMemory", "Out of memory"};
  } catch (const std::exception& e) {
    lastError_ = {"Exception", e.what()};
  } catch (...) {
    lastError_ = {"Exception", "unknown error"};
  }
  return false;
}

bool TLZMADeCompressReader::DecompressStream(TMemoryStream& input, TMemoryStream& output) noexcept {
  const size_t outputSize = output.Size();
  const size_t outputPosition = output.Position();
  const bool decoded = Decoding([&] {
    input.SetPosition(0);
    const uint32_t length = StartArchive([&input](uint8_t* buffer, int32_t count) {
      return static_cast<int32_t>(input.Read(buffer, static_cast<size_t>(count)));
    });
    // Decoding straight into the output keeps the archive in memory once.
    if (length > 0) {
      uint8_t* target = output.Extend(length);
      ReadDecompressed(target, length);
      output.SetPosition(outputPosition + length);
    }
  });
  source_ = nullptr;
  if (decoded) return true;
  try {
    output.SetSize(outputSize);
  } catch (...) {
  }
  output.SetPosition(outputPosition);
  return false;
}

bool TLZMADeCompressReader::DecompressFile(const std::string& blockPath, const std::string& archivePath) {
  sys::File block = sys::File::Open(blockPath, sys::OpenMode::kReadShared);
  const int64_t blockSize = block ? block.Size() : -1;
  if (blockSize < 0) throw EPayloadFileError("cannot open the payload block " + blockPath);
  int64_t blockRead = 0;
  // The file's end is the input's end; a read that stops short of it is a failing disk, not data.
  Source source = [&](uint8_t* buffer, int32_t count) {
    const size_t got = block.Read(buffer, static_cast<size_t>(count));
    blockRead += static_cast<int64_t>(got);
    if (got < static_cast<size_t>(count) && blockRead < blockSize) {
      throw EPayloadFileError("cannot read the payload block " + blockPath);
    }
    return static_cast<int32_t>(got);
  };

  sys::File archive;
  bool written = false;
  const auto dropArchive = [&] {
    archive.Close();
    sys::RemoveFile(archivePath);
  };
  try {
    written = Decoding([&] {
      uint32_t left = StartArchive(source);
      std::unique_ptr<uint8_t[]> chunk(new uint8_t[kOutputChunkSize]);
      archive = sys::File::Open(archivePath, sys::OpenMode::kCreateTruncate);
      if (!archive) throw EPayloadFileError("cannot create the archive " + archivePath);
      while (left > 0) {
        const size_t count = left < kOutputChunkSize ? left : kOutputChunkSize;
        ReadDecompressed(chunk.get(), count);
        if (!archive.Write(chunk.get(), count)) throw EPayloadFileError("cannot write the archive " + archivePath);
        left -= static_cast<uint32_t>(count);
      }
      if (!archive.Close()) throw EPayloadFileError("cannot write the archive " + archivePath);
    });
  } catch (...) {
    source_ = nullptr;
    dropArchive();
    throw;
  }
  source_ = nullptr;
  if (!written) dropArchive();
  return written;
}

}  // namespace velmora::payload
