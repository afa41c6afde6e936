// Exceptions of the ZIP engine. OS-independent.
#include "zip/ZipErrors.h"

#include <cstdio>

namespace velmora::zip {

EListError IndexOutOfRange(int index) {
  char text[64];
  std::snprintf(text, sizeof text, "Index %d is out of range", index);
  return EListError(text);
}

}  // namespace velmora::zip
