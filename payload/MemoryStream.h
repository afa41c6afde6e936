// A growable in-memory byte stream with a position. OS-independent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::payload {

class TMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream();
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;
  TMemoryStream(TMemoryStream&& other) noexcept;
  TMemoryStream& operator=(TMemoryStream&& other) noexcept;

  size_t Size() const { return size_; }
  size_t Position() const { return position_; }
  // Positions past the end are allowed; the next write fills the gap with zeros.
  void SetPosition(size_t position) { position_ = position; }
  const uint8_t* Memory() const { return data_; }
  uint8_t* Memory() { return data_; }

  // Copies up to count bytes from the position on and advances; returns the bytes copied.
  size_t Read(void* buffer, size_t count);
  // Writes count bytes at the position, growing the stream as needed, and advances.
  // Throws std::bad_alloc when memory runs out.
  void Write(const void* buffer, size_t count);
  // Makes room for count bytes at the position without copying anything and returns where they
  // go, so a producer can fill the stream directly. The size grows to cover them; the position
  // stays. Throws std::bad_alloc.
  uint8_t* Extend(size_t count);
  // Shrinks or grows the stream; new bytes are zero. The position is kept.
  void SetSize(size_t size);
  void Clear();

  // Replaces the contents with the file's; position 0. False if the file cannot be read whole.
  bool LoadFromFile(const std::string& path);
  // Writes the whole contents to the file, created or replaced. False on any failure.
  bool SaveToFile(const std::string& path) const;

 private:
  // Grows the allocation to at least `capacity` bytes; `exact` avoids slack for one-off sizes.
  void Reserve(size_t capacity, bool exact);
  // Grows the stream so that count bytes from the position on are inside it, zero-filling any gap
  // between the old end and the position; returns the end of those bytes.
  size_t CoverFromPosition(size_t count, bool exact);

  uint8_t* data_ = nullptr;  // owned, malloc'ed
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t position_ = 0;
};

}  // namespace velmora::payload
