// A growable in-memory byte stream with a position. OS-independent.
#include "payload/MemoryStream.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/SysFile.h"

namespace velmora::payload {

TMemoryStream::~TMemoryStream() { std::free(data_); }

TMemoryStream::TMemoryStream(TMemoryStream&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_), position_(other.position_) {
  other.data_ = nullptr;
  other.size_ = other.capacity_ = other.position_ = 0;
}

TMemoryStream& TMemoryStream::operator=(TMemoryStream&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    position_ = other.position_;
    other.data_ = nullptr;
    other.size_ = other.capacity_ = other.position_ = 0;
  }
  return *this;
}

void TMemoryStream::Reserve(size_t capacity, bool exact) {
  if (capacity <= capacity_) return;
  size_t target = capacity;
  if (!exact) {
    // Grow by half again so a series of small writes stays linear.
    size_t grown = capacity_ + capacity_ / 2;
    if (grown > target) target = grown;
  }
  void* p = std::realloc(data_, target);
  if (p == nullptr) throw std::bad_alloc();
  data_ = static_cast<uint8_t*>(p);
  capacity_ = target;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  if (position_ >= size_) return 0;
  size_t n = size_ - position_ < count ? size_ - position_ : count;
  std::memcpy(buffer, data_ + position_, n);
  position_ += n;
  return n;
}

size_t TMemoryStream::CoverFromPosition(size_t count, bool exact) {
  if (count > SIZE_MAX - position_) throw std::bad_alloc();
  const size_t end = position_ + count;
  if (end > size_) {
    Reserve(end, exact);
    if (position_ > size_) std::memset(data_ + size_, 0, position_ - size_);
    size_ = end;
  }
  return end;
}

uint8_t* TMemoryStream::Extend(size_t count) {
  CoverFromPosition(count, /*exact=*/true);
  return data_ + position_;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return;
  const size_t end = CoverFromPosition(count, /*exact=*/false);
  std::memcpy(data_ + position_, buffer, count);
  position_ = end;
}

void TMemoryStream::SetSize(size_t size) {
  if (size > size_) {
    Reserve(size, /*exact=*/true);
    std::memset(data_ + size_, 0, size - size_);
  }
  size_ = size;
}

void TMemoryStream::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
}

bool TMemoryStream::LoadFromFile(const std::string& path) {
  sys::File file = sys::File::Open(path, sys::OpenMode::kReadShared);
  if (!file) return false;
  const int64_t size = file.Size();
  if (size < 0 || static_cast<uint64_t>(size) > SIZE_MAX) return false;
  Clear();
  try {
    Reserve(static_cast<size_t>(size), /*exact=*/true);
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_ = file.Read(data_, static_cast<size_t>(size));
  return size_ == static_cast<size_t>(size);
}

bool TMemoryStream::SaveToFile(const std::string& path) const {
  sys::File file = sys::File::Open(path, sys::OpenMode::kCreateTruncate);
  if (!file) return false;
  if (!file.Write(data_, size_)) return false;
  return file.Close();
}

}  // namespace velmora::payload
