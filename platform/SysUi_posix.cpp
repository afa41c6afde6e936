// POSIX stand-ins for the user-interface services: no message queue, message boxes on stderr.
#include <cstdio>

#include "platform/SysText.h"
#include "platform/SysUi.h"

namespace velmora::sys {

void ProcessPendingMessages() {}

int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
  std::fprintf(stderr, "[%s] %s\n", AnsiToUtf8(caption).c_str(), AnsiToUtf8(text).c_str());
  return (flags & 0xF) == kMbYesNo ? kIdNo : kIdOk;
}

bool PickFolder(const std::string&, std::string&, const std::string&, uintptr_t) { return false; }

bool PickFile(const std::string&, const std::string&, const std::string&, std::string&) { return false; }

}  // namespace velmora::sys
