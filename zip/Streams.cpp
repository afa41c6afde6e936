// Byte streams of the ZIP engine. OS-independent.
#include "zip/Streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "zip/ZipErrors.h"

namespace velmora::zip {

namespace {

sys::SeekFrom From(TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning:
      return sys::SeekFrom::kBegin;
    case TSeekOrigin::soCurrent:
      return sys::SeekFrom::kCurrent;
    case TSeekOrigin::soEnd:
      break;
  }
  return sys::SeekFrom::kEnd;
}

bool IsWriteMode(sys::OpenMode mode) {
  return mode == sys::OpenMode::kCreateTruncate || mode == sys::OpenMode::kCreateExclusive ||
         mode == sys::OpenMode::kWriteShared;
}

}  // namespace

int64_t TStream::GetSize() {
  const int64_t position = Seek(0, TSeekOrigin::soCurrent);
  const int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

// --- TFileHandleStream ---

TFileHandleStream::TFileHandleStream(const std::string& fileName, sys::OpenMode mode)
    : file_(sys::File::Open(fileName, mode)) {
  if (file_) return;
  if (IsWriteMode(mode)) throw EFCreateError("Cannot create file \"" + fileName + "\"");
  throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

size_t TFileHandleStream::Read(void* buffer, size_t count) { return file_.Read(buffer, count); }

size_t TFileHandleStream::Write(const void* buffer, size_t count) { return file_.Write(buffer, count) ? count : 0; }

int64_t TFileHandleStream::Seek(int64_t offset, TSeekOrigin origin) { return file_.Seek(offset, From(origin)); }

bool TFileHandleStream::SetSize(int64_t size) { return file_.SetSize(size); }

// --- TS_BufferStream ---

TS_BufferStream::TS_BufferStream(TStream* underlying, size_t bufferSize, bool flushOnClose)
    : underlying_(underlying),
      flushOnClose_(flushOnClose),
      buffer_(new uint8_t[std::max<size_t>(bufferSize, 1)]),
      bufferSize_(std::max<size_t>(bufferSize, 1)) {}

TS_BufferStream::~TS_BufferStream() { Finish(); }

void TS_BufferStream::Finish() {
  if (finished_) return;
  finished_ = true;
  // A failed save here cannot be reported; the run checks its output while writing.
  if (state_ == kPendingWrite) SaveBuffer();
  if (flushOnClose_ && written_) FlushToDisk();
}

bool TS_BufferStream::LoadBuffer() {
  bufferEnd_ = underlying_->Read(buffer_.get(), bufferSize_);
  bufferPos_ = 0;
  state_ = bufferEnd_ > 0 ? kReadAhead : kEmpty;
  return bufferEnd_ > 0;
}

bool TS_BufferStream::SaveBuffer() {
  const size_t pending = bufferPos_;
  const bool ok = pending == 0 || underlying_->Write(buffer_.get(), pending) == pending;
  bufferPos_ = bufferEnd_ = 0;
  state_ = kEmpty;
  return ok;
}

size_t TS_BufferStream::Read(void* buffer, size_t count) {
  if (state_ == kPendingWrite) SaveBuffer();
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    if (state_ != kReadAhead || bufferPos_ >= bufferEnd_) {
      if (!LoadBuffer()) break;
    }
    const size_t n = std::min(count - done, bufferEnd_ - bufferPos_);
    std::memcpy(out + done, buffer_.get() + bufferPos_, n);
    bufferPos_ += n;
    done += n;
  }
  return done;
}

size_t TS_BufferStream::Write(const void* buffer, size_t count) {
  if (state_ == kReadAhead) {
    // Give the read-ahead back before writing at the position the user sees.
    underlying_->Seek(LogicalPosition(), TSeekOrigin::soBeginning);
    bufferPos_ = bufferEnd_ = 0;
    state_ = kEmpty;
  }
  const auto* in = static_cast<const uint8_t*>(buffer);
  size_t copied = 0;
  size_t reached = 0;                                      // bytes of this call that the underlying stream took
  size_t earlier = state_ == kPendingWrite ? bufferPos_ : 0;  // pending bytes of earlier calls
  if (state_ != kPendingWrite) bufferPos_ = 0;
  while (copied < count) {
    const size_t n = std::min(count - copied, bufferSize_ - bufferPos_);
    std::memcpy(buffer_.get() + bufferPos_, in + copied, n);
    bufferPos_ += n;
    copied += n;
    state_ = kPendingWrite;
    if (bufferPos_ == bufferSize_) {
      const size_t ofThisCall = bufferSize_ - earlier;
      if (!SaveBuffer()) {
        written_ = true;
        return reached;
      }
      reached += ofThisCall;
      earlier = 0;
    }
  }
  if (bufferPos_ > 0) state_ = kPendingWrite;
  written_ = true;
  return count;
}

int64_t TS_BufferStream::LogicalPosition() {
  const int64_t base = underlying_->Seek(0, TSeekOrigin::soCurrent);
  if (state_ == kReadAhead) return base - int64_t(bufferEnd_ - bufferPos_);
  if (state_ == kPendingWrite) return base + int64_t(bufferPos_);
  return base;
}

int64_t TS_BufferStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t position = LogicalPosition();
  int64_t target;
  switch (origin) {
    case TSeekOrigin::soBeginning:
      target = offset;
      break;
    case TSeekOrigin::soCurrent:
      target = position + offset;
      break;
    default: {
      const int64_t size = std::max(underlying_->GetSize(), position);
      target = size - (offset < 0 ? -offset : offset);
      break;
    }
  }
  if (target == position) return target;
  if (state_ == kPendingWrite && !SaveBuffer()) throw EStreamError(kMsgSeekError);
  underlying_->Seek(target, TSeekOrigin::soBeginning);
  bufferPos_ = bufferEnd_ = 0;
  state_ = kEmpty;
  return target;
}

// --- TLFNFileStream ---

TLFNFileStream::TLFNFileStream(const std::string& fileName, sys::OpenMode mode, size_t bufferSize, bool flushOnClose)
    : TS_BufferStream(nullptr, bufferSize, flushOnClose && IsWriteMode(mode)),
      file_(std::make_unique<TFileHandleStream>(fileName, mode)) {
  underlying_ = file_.get();
}

TLFNFileStream::~TLFNFileStream() { Finish(); }

bool TLFNFileStream::SetSize(int64_t size) { return file_->SetSize(size); }

void TLFNFileStream::FlushToDisk() { file_->Handle().Flush(); }

}  // namespace velmora::zip
