// velmora-pack unpack: the archive of a setup, through the setup program's own copy-out and decoder.
#include <unistd.h>

#include <cstdio>

#include "Commands.h"
#include "HostPath.h"
#include "OutputFile.h"
#include "PackError.h"
#include "SetupLayout.h"
#include "payload/LZMADeCompressReader.h"
#include "payload/MemoryStream.h"
#include "payload/UCovert.h"
#include "platform/SysFile.h"

namespace velmora::pack {

void Unpack(const std::string& setup, const std::string& out) {
  payload::TMemoryStream input;
  {
    const std::string block = AnsiPath(out + ".block-" + std::to_string(getpid()));
    const bool copied = payload::CopyPayloadOut(AnsiPath(setup), block);
    const bool loaded = copied && input.LoadFromFile(block);
    sys::RemoveFile(block);
    if (!copied) {
      sys::File file = sys::File::Open(AnsiPath(setup), sys::OpenMode::kReadShared);
      const payload::RegionPlace region = file ? payload::LocateRegion(file) : payload::RegionPlace{};
      throw PackError(setup + ": no payload block could be copied out (" +
                      (!file ? std::string("cannot open the file")
                       : region.size == 0 ? NoTrailerReason(region)
                                          : "reading the region or writing its copy beside " + out + " failed") +
                      ")");
    }
    if (!loaded) throw PackError(out + ": cannot read the copied block back");
  }

  payload::TMemoryStream archive;
  payload::TLZMADeCompressReader reader;
  if (!reader.DecompressStream(input, archive)) {
    const payload::TCompressFailure& e = reader.LastError();
    throw PackError(setup + ": " + e.className + ": " + ShowText(e.message));
  }
  input.Clear();

  OutputFile file(out);
  file.Write(archive.Memory(), archive.Size());
  file.Commit();
  std::printf("%s: archive of %zu bytes written to %s\n", setup.c_str(), archive.Size(), out.c_str());
}

}  // namespace velmora::pack
