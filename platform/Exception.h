// The common base of the engines' exceptions: a fixed message and the class name that callers show.
// OS-independent.
#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  virtual const char* ClassName() const { return "Exception"; }
};

// Declares an exception class with its base and its name.
#define VELMORA_EXCEPTION(Name, Base)                              \
  class Name : public Base {                                       \
   public:                                                         \
    using Base::Base;                                              \
    const char* ClassName() const override { return #Name; }       \
  }

}  // namespace velmora
