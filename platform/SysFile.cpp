// The OS-independent part of the engines' file access: ownership of the handle.
#include "platform/SysFile.h"

namespace velmora::sys {

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

}  // namespace velmora::sys
