// Console check program for Windows: copies the payload block out of a setup executable (its own
// image by default, so a packed copy of this program checks itself while running), decodes it,
// optionally saves the archive and extracts it with the ZIP engine as the installer does. Prints one
// line per step; exit code 0 only if everything worked.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "payload/LZMADeCompressReader.h"
#include "payload/UCovert.h"
#include "platform/Exception.h"
#include "zip/VCLUnZip.h"

using namespace velmora::payload;

namespace {

std::string OwnPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

std::string TempPath(const char* name) {
  char dir[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, dir);
  return std::string(dir, n) + name;
}

// Extracts every entry into `destDir` with the installer's settings; false if any entry failed.
bool ExtractAll(const std::string& archive, const std::string& destDir, const std::string& password) {
  velmora::zip::TVCLUnZip engine;
  engine.Password = password;
  engine.SetZipName(archive);
  engine.ReadCatalogue();
  engine.SetDestDir(destDir);
  engine.DoAll = true;
  engine.RecreateDirs = true;
  engine.RetainAttributes = true;
  engine.ReplaceReadOnly = true;
  engine.OverwriteMode = velmora::zip::TUZOverwriteMode::Always;
  engine.OnBadCRC = [](velmora::zip::TVCLUnZip* e, int32_t, int32_t, int index) {
    std::printf("bad CRC: %s\n", e->Entry(index).StoredPath().c_str());
  };
  const int extracted = engine.ExtractEntries();
  std::printf("extract: %d of %d entries\n", extracted, engine.Count());
  return extracted == engine.Count();
}

int Usage() {
  std::puts("usage: payload-check [--setup SETUP.exe] [--out ARCHIVE.zip] [--extract DIR]\n"
            "       payload-check --zip ARCHIVE.zip --extract DIR [--password P]\n"
            "Copies the payload block out of SETUP (this program by default), decodes it, saves the\n"
            "archive to ARCHIVE.zip and extracts it into DIR when given. With --zip, extracts any\n"
            "archive with the ZIP engine.");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string setup = OwnPath();
  std::string out;
  std::string extractTo;
  std::string zip;
  std::string password;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--setup") == 0 && i + 1 < argc) {
      setup = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--extract") == 0 && i + 1 < argc) {
      extractTo = argv[++i];
    } else if (std::strcmp(argv[i], "--zip") == 0 && i + 1 < argc) {
      zip = argv[++i];
    } else if (std::strcmp(argv[i], "--password") == 0 && i + 1 < argc) {
      password = argv[++i];
    } else {
      return Usage();
    }
  }

  if (!zip.empty()) {
    if (extractTo.empty()) return Usage();
    try {
      return ExtractAll(zip, extractTo, password) ? 0 : 1;
    } catch (const velmora::Exception& e) {
      std::printf("FAIL extract: %s: %s\n", e.ClassName(), e.what());
      return 1;
    }
  }

  // The setup's own path: the block copied out, then decoded file to file a chunk at a time.
  const std::string block = TempPath("payload-check.~tmp");
  if (!CopyPayloadOut(setup, block)) {
    std::printf("FAIL copy: no payload region in %s\n", setup.c_str());
    return 1;
  }
  const std::string zipFile = TempPath("payload-check.~tmp~");
  TLZMADeCompressReader reader;
  bool decoded = false;
  try {
    decoded = reader.DecompressFile(block, zipFile);
  } catch (const velmora::Exception& e) {
    std::printf("FAIL file: %s: %s\n", e.ClassName(), e.what());
  }
  DeleteFileA(block.c_str());
  if (!decoded) {
    if (!reader.LastError().className.empty()) {
      std::printf("FAIL decode: %s: %s\n", reader.LastError().className.c_str(), reader.LastError().message.c_str());
    }
    return 1;
  }
  std::printf("decode ok: %s\n", zipFile.c_str());

  bool ok = true;
  if (!out.empty()) {
    ok = CopyFileA(zipFile.c_str(), out.c_str(), FALSE) != 0;
    std::printf(ok ? "saved: %s\n" : "FAIL save: %s\n", out.c_str());
  }
  if (ok && !extractTo.empty()) {
    try {
      ok = ExtractAll(zipFile, extractTo, std::string());
    } catch (const velmora::Exception& e) {
      std::printf("FAIL extract: %s: %s\n", e.ClassName(), e.what());
      ok = false;
    }
  }
  DeleteFileA(zipFile.c_str());
  if (!ok) return 1;
  return 0;
}
