// The system services the ZIP engine uses. OS-independent: it forwards to platform/.
#include "zip/ZipServices.h"

#include "platform/SysFs.h"
#include "platform/SysUi.h"

namespace velmora::zip {

void TZipServices::ProcessMessages() { sys::ProcessPendingMessages(); }

int TZipServices::MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
  return sys::ShowMessageBox(text, caption, flags);
}

bool TZipServices::PickFolder(const std::string& start, std::string& folder) {
  return sys::PickFolder(start, folder);
}

bool TZipServices::PickFile(const std::string& title, const std::string& filter, const std::string& start,
                            std::string& file) {
  return sys::PickFile(title, filter, start, file);
}

bool TZipServices::FileNamesFoldCase() { return sys::NamesFoldCase(); }

TZipServices& SystemZipServices() {
  static TZipServices services;
  return services;
}

}  // namespace velmora::zip
