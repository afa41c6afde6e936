// Byte streams of the ZIP engine: the abstract stream, a stream over an open file, and the
// buffering layer through which the engine reads archives and writes extracted files.
// OS-independent; files come through platform/SysFile.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SysFile.h"

namespace velmora::zip {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t GetSize();
  virtual bool SetSize(int64_t size) = 0;
  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
};

// A stream over a file handle. Construction raises EFOpenError, or EFCreateError for the writing
// modes, when the file cannot be opened.
class TFileHandleStream : public TStream {
 public:
  TFileHandleStream(const std::string& fileName, sys::OpenMode mode);
  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  bool SetSize(int64_t size) override;
  sys::File& Handle() { return file_; }

 private:
  sys::File file_;
};

// Buffers another stream (not owned) for either reading or writing. A buffer size of 0 is taken as
// 1: a buffer without room could never take a byte, and a write would never end.
class TS_BufferStream : public TStream {
 public:
  enum State { kEmpty = 0, kReadAhead = 1, kPendingWrite = 2 };

  TS_BufferStream(TStream* underlying, size_t bufferSize, bool flushOnClose);
  ~TS_BufferStream() override;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  // Raises EStreamError "Seek error" when pending bytes cannot be written first.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  bool SetSize(int64_t size) override { return underlying_->SetSize(size); }
  State BufferState() const { return state_; }
  // Writes the pending bytes now; false when the underlying stream refuses them. Destruction would
  // write them too, but cannot tell that it failed.
  bool SavePending() { return state_ != kPendingWrite || SaveBuffer(); }

 protected:
  virtual bool LoadBuffer();
  virtual bool SaveBuffer();
  // Called at destruction after the last save, when flush-on-close applies.
  virtual void FlushToDisk() {}
  // Saves pending bytes and flushes; derived classes call it from their destructor while the
  // underlying stream still exists.
  void Finish();

  TStream* underlying_;
  bool written_ = false;
  bool flushOnClose_;

 private:
  int64_t LogicalPosition();

  std::unique_ptr<uint8_t[]> buffer_;
  size_t bufferPos_ = 0;  // next byte to read, or the count of pending bytes
  size_t bufferEnd_ = 0;  // end of the valid read-ahead bytes
  size_t bufferSize_;
  State state_ = kEmpty;
  bool finished_ = false;
};

// A file opened in `mode` with the buffering layer over it. Flush-on-close applies only to the
// writing modes.
class TLFNFileStream : public TS_BufferStream {
 public:
  TLFNFileStream(const std::string& fileName, sys::OpenMode mode, size_t bufferSize, bool flushOnClose);
  ~TLFNFileStream() override;
  bool SetSize(int64_t size) override;
  sys::File& Handle() { return file_->Handle(); }

 protected:
  void FlushToDisk() override;

 private:
  std::unique_ptr<TFileHandleStream> file_;
};

}  // namespace velmora::zip
