// Console check program for Windows: copies the payload block out of a setup executable (its own
// image by default, so a packed copy of this program checks itself while running), decodes it and
// optionally saves the archive. Prints one line per step; exit code 0 only if everything worked.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "payload/LZMADeCompressReader.h"
#include "payload/MemoryStream.h"
#include "payload/UCovert.h"

using namespace velmora::payload;

namespace {

std::string OwnPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

std::string TempBlockPath() {
  char dir[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, dir);
  return std::string(dir, n) + "payload-check.~tmp";
}

int Usage() {
  std::puts("usage: payload-check [--setup SETUP.exe] [--out ARCHIVE.zip]\n"
            "Copies the payload block out of SETUP (this program by default), decodes it and\n"
            "saves the archive to ARCHIVE.zip when given.");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string setup = OwnPath();
  std::string out;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--setup") == 0 && i + 1 < argc) {
      setup = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else {
      return Usage();
    }
  }

  const std::string block = TempBlockPath();
  if (!CopyPayloadOut(setup, block)) {
    std::printf("FAIL copy: no payload region in %s\n", setup.c_str());
    return 1;
  }
  TMemoryStream input;
  const bool loaded = input.LoadFromFile(block);
  DeleteFileA(block.c_str());
  if (!loaded) {
    std::printf("FAIL load: %s\n", block.c_str());
    return 1;
  }
  std::printf("copy ok: %u compressed bytes\n", static_cast<unsigned>(input.Size()));

  TMemoryStream archive;
  TLZMADeCompressReader reader;
  if (!reader.DecompressStream(input, archive)) {
    std::printf("FAIL decode: %s: %s\n", reader.LastError().className.c_str(), reader.LastError().message.c_str());
    return 1;
  }
  std::printf("decode ok: %u archive bytes\n", static_cast<unsigned>(archive.Size()));

  if (!out.empty()) {
    if (!archive.SaveToFile(out)) {
      std::printf("FAIL save: %s\n", out.c_str());
      return 1;
    }
    std::printf("saved: %s\n", out.c_str());
  }
  return 0;
}
