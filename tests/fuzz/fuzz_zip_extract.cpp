// Arbitrary bytes as a ZIP archive: the catalogue is read and every entry extracted, as the wizard
// does it, into a fresh folder that is removed again afterwards. Every method and both ciphers are
// reachable; the engine holds the password of the test archives.
#include <cstdint>
#include <exception>
#include <string>

#include "FuzzSupport.h"
#include "platform/SysUi.h"
#include "zip/VCLUnZip.h"

namespace {

using namespace velmora;

// No message pump and no dialogs; every question is answered with No or Cancel.
class QuietServices : public zip::TZipServices {
 public:
  void ProcessMessages() override {}
  int MessageBox(const std::string&, const std::string&, uint32_t flags) override { return Refusal(flags); }
  bool PickFolder(const std::string&, std::string&) override { return false; }
  bool PickFile(const std::string&, const std::string&, const std::string&, std::string&) override { return false; }

  static int Refusal(uint32_t flags) { return (flags & 0xF) == sys::kMbYesNo ? sys::kIdNo : sys::kIdCancel; }
};

// Whether an engine path names something at or below `folder` without a ".." step.
bool Inside(const std::string& path, const std::string& folder) {
  if (path.compare(0, folder.size(), folder) != 0) return false;
  size_t begin = folder.size();
  for (;;) {
    const size_t end = path.find_first_of("\\/", begin);
    if (path.compare(begin, (end == std::string::npos ? path.size() : end) - begin, "..") == 0) return false;
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& base = fuzz::ScratchBase();
  const std::string archive = base + "/input.zip";
  const std::string dest = base + "/out";
  fuzz::WriteWholeFile(archive, data, size);
  {
    QuietServices services;
    zip::TVCLUnZip engine(services);
    engine.Password = "secret";
    // The second password of the test archives is offered once after the first fails.
    engine.OnBadPassword = [](zip::TVCLUnZip*, int, std::string& password) {
      if (password == "secret") password = "password";
    };
    engine.OnHandleMessage = [](zip::TVCLUnZip*, int, const std::string&, const std::string&, uint32_t flags,
                                int& answer) { answer = QuietServices::Refusal(flags); };
    // An archive without an end record is rebuilt from its local headers.
    engine.OnInCompleteZip = [](zip::TVCLUnZip*, zip::TIncompleteZipMode& mode) {
      mode = zip::TIncompleteZipMode::izAssumeBad;
    };
    // Whatever the engine makes of a name, nothing is written outside the scratch folder.
    engine.OnStartUnZip = [&dest](zip::TVCLUnZip*, int, std::string& name, bool& skip) {
      if (!Inside(name, dest + "\\") && !Inside(name, dest + "/")) skip = true;
    };
    try {
      engine.SetZipName(archive);
      engine.ReadCatalogue();
      engine.SetDestDir(dest);
      engine.DoAll = true;
      engine.RecreateDirs = true;
      engine.RetainAttributes = true;
      engine.ReplaceReadOnly = true;
      engine.OverwriteMode = zip::TUZOverwriteMode::Always;
      engine.ExtractEntries();
    } catch (const std::exception&) {
    }
  }
  fuzz::RemoveTree(dest);
  return 0;
}
