// The archive behind a command-line argument.
#include "ArchiveSource.h"

#include <unistd.h>

#include <cstdlib>

#include "HostPath.h"
#include "PackError.h"
#include "payload/LZMADeCompressReader.h"
#include "payload/PayloadFormat.h"
#include "payload/UCovert.h"
#include "platform/SysFile.h"

namespace velmora::pack {

namespace {

// A setup is an executable image with a payload trailer that fits the file, in front of its
// certificate table when it is signed.
bool LooksLikeSetup(const std::string& enginePath) {
  sys::File f = sys::File::Open(enginePath, sys::OpenMode::kReadShared);
  char magic[2] = {};
  if (!f || f.Read(magic, 2) != 2 || magic[0] != 'M' || magic[1] != 'Z') return false;
  return payload::LocateRegion(f).size != 0;
}

// A folder of this process's own under TMPDIR (or /tmp), readable by no one else, so that no other
// user can put a file or a link where the payload is written.
std::string MakeTempFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/velmora-pack-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return std::string();
  return pattern;
}

}  // namespace

ArchiveSource::ArchiveSource(const std::string& path) : enginePath_(AnsiPath(path)) {
  if (!LooksLikeSetup(enginePath_)) return;
  tempFolder_ = MakeTempFolder();
  if (tempFolder_.empty()) throw PackError(path + ": cannot make a temporary folder for its payload");
  // The block and the archive go through temporary files a chunk at a time, as in the setup.
  const std::string block = AnsiPath(tempFolder_ + "/payload.block"), archive = AnsiPath(tempFolder_ + "/payload.zip");
  // A constructor that throws has no destructor run after it: the folder goes here then.
  const auto giveUp = [&](const std::string& what) {
    sys::RemoveFile(block);
    rmdir(tempFolder_.c_str());
    throw PackError(path + ": cannot " + what + " its payload in a temporary file in " + tempFolder_);
  };
  if (!payload::CopyPayloadOut(enginePath_, block)) giveUp("copy out");
  bool decoded = false;
  try {
    decoded = payload::TLZMADeCompressReader().DecompressFile(block, archive);
  } catch (const payload::EPayloadFileError&) {
    giveUp("decode");
  }
  sys::RemoveFile(block);
  // An executable whose tail only looks like a trailer (a self-extracting ZIP, say) is read as a ZIP.
  if (!decoded) return;
  tempPath_ = archive;
  enginePath_ = tempPath_;
}

ArchiveSource::~ArchiveSource() {
  if (!tempPath_.empty()) sys::RemoveFile(tempPath_);
  if (!tempFolder_.empty()) rmdir(tempFolder_.c_str());
}

void OpenArchive(zip::TVCLUnZip& engine, const ArchiveSource& source, const ReadOptions& options) {
  const std::string& name = source.EnginePath();
  const size_t dot = name.rfind('.');
  const bool numbered = dot != std::string::npos && name.size() - dot == 4 &&
                        name.find_first_not_of("0123456789", dot + 1) == std::string::npos;
  if (numbered) engine.BlockMode = zip::TBlockMode::bmClassic;
  if (options.recover) engine.IncompleteZipMode = zip::TIncompleteZipMode::izAssumeBad;
  engine.Password = options.password;
  engine.SetZipName(name);
}

}  // namespace velmora::pack
