// Exceptions of the payload decompressor. OS-independent.
// Messages are in the program's ANSI code page (the sources' literals are compiled to it).
#pragma once

#include <string>

#include "platform/Exception.h"

namespace velmora::payload {

VELMORA_EXCEPTION(ECompressError, Exception);

// The compressed data is unusable; `Code` says how (1 short header, 3 bad properties byte,
// 5 corrupt data or input exhausted, 6 stream ended early, 7 dictionary too large).
class ECompressDataError : public ECompressError {
 public:
  explicit ECompressDataError(int code);
  int Code() const { return code_; }
  const char* ClassName() const override { return "ECompressDataError"; }

 private:
  int code_;
};

// The decoder core failed for a reason other than bad data; `Status` is the core's result.
class ECompressInternalError : public ECompressError {
 public:
  explicit ECompressInternalError(int status);
  int Status() const { return status_; }
  const char* ClassName() const override { return "ECompressInternalError"; }

 private:
  int status_;
};

}  // namespace velmora::payload
