// velmora-pack unpack: the archive of a setup, through the setup program's own copy-out and decoder.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "HostPath.h"
#include "OutputFile.h"
#include "PackError.h"
#include "SetupLayout.h"
#include "payload/LZMADeCompressReader.h"
#include "payload/UCovert.h"
#include "platform/SysFile.h"
#include "platform/SysFs.h"

namespace velmora::pack {

void Unpack(const std::string& setup, const std::string& out) {
  // The block and the archive go through files a chunk at a time, as in the setup: memory stays
  // the decoder's dictionary and fixed buffers, whatever the archive's size.
  struct BlockCopy {
    std::string path;
    ~BlockCopy() { sys::RemoveFile(path); }
  } block{AnsiPath(out + ".block-" + std::to_string(getpid()))};
  if (!payload::CopyPayloadOut(AnsiPath(setup), block.path)) {
    sys::File file = sys::File::Open(AnsiPath(setup), sys::OpenMode::kReadShared);
    const payload::RegionPlace region = file ? payload::LocateRegion(file) : payload::RegionPlace{};
    throw PackError(setup + ": no payload block could be copied out (" +
                    (!file ? std::string("cannot open the file")
                     : region.size == 0 ? NoTrailerReason(region)
                                        : "reading the region or writing its copy beside " + out + " failed") +
                    ")");
  }

  OutputFile file(out);
  file.Close();
  payload::TLZMADeCompressReader reader;
  bool decoded = false;
  try {
    decoded = reader.DecompressFile(block.path, AnsiPath(file.TempPath()));
  } catch (const payload::EPayloadFileError&) {
    throw PackError(out + ": cannot read the copied block or write the archive beside it");
  }
  if (!decoded) {
    const payload::TCompressFailure& e = reader.LastError();
    throw PackError(setup + ": " + e.className + ": " + ShowText(e.message));
  }
  const uintmax_t size = std::filesystem::file_size(file.TempPath());
  file.Commit();
  std::printf("%s: archive of %ju bytes written to %s\n", setup.c_str(), size, out.c_str());
}

}  // namespace velmora::pack
