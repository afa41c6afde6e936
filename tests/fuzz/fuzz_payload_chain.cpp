// Arbitrary bytes as the setup executable, through the wizard's whole payload chain: the block is
// copied out by its trailer, decoded from the length-prefixed LZMA stream into the archive, and the
// archive's catalogue read.
#include <cstdint>
#include <exception>
#include <string>

#include "FuzzSupport.h"
#include "payload/LZMADeCompressReader.h"
#include "payload/UCovert.h"
#include "platform/SysUi.h"
#include "zip/VCLUnZip.h"

namespace {

using namespace velmora;

class QuietServices : public zip::TZipServices {
 public:
  void ProcessMessages() override {}
  int MessageBox(const std::string&, const std::string&, uint32_t) override { return sys::kIdCancel; }
  bool PickFolder(const std::string&, std::string&) override { return false; }
  bool PickFile(const std::string&, const std::string&, const std::string&, std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& base = fuzz::ScratchBase();
  const std::string executable = base + "/setup.exe";
  const std::string payload = base + "/payload.tmp";
  const std::string archive = payload + "~";
  fuzz::WriteWholeFile(executable, data, size);
  fuzz::RemoveTree(payload);
  fuzz::RemoveTree(archive);

  if (!payload::CopyPayloadOut(executable, payload)) return 0;
  {
    payload::TMemoryStream input, output;
    if (!input.LoadFromFile(payload)) std::abort();  // the copy just written must read back
    payload::TLZMADeCompressReader reader;
    if (!reader.DecompressStream(input, output)) return 0;
    if (!output.SaveToFile(archive)) std::abort();
  }
  QuietServices services;
  zip::TVCLUnZip engine(services);
  try {
    engine.SetZipName(archive);
    engine.ReadCatalogue();
    for (int i = 0; i < engine.Count(); ++i) {
      const zip::TZipHeaderInfo& entry = engine.Entry(i);
      (void)entry.UncompressedSize64();
    }
  } catch (const std::exception&) {
  }
  return 0;
}
