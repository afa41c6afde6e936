// The velmora-pack commands. Each returns the process exit status and reports its own errors.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::pack {

struct BuildOptions {
  std::string stub;
  std::string from;
  std::string out;
  uint32_t dictionarySize = 32u << 20;
  std::string signCommand;  // run through the shell on the finished setup, %1 standing for its path
};

// Packs every file under `from` into an archive, compresses it behind a copy of `stub` and writes the
// setup to `out`; with a sign command, signs it and checks that its payload still reads and decodes
// before it appears under `out`. Throws PackError.
void Build(const BuildOptions& options);
// Prints the payload region's layout and the archive's length and entry count. Throws PackError.
void Inspect(const std::string& setup);
// Extracts the archive with the setup program's own copy-out and decoder. Throws PackError.
void Unpack(const std::string& setup, const std::string& out);

// How an archive is read, for list and extract.
struct ReadOptions {
  std::string archive;  // a ZIP, the last part of a split set, or a setup
  bool recover = false;  // rebuild a catalogue without end record from the local headers
  std::string password;
};

// Lists the entries of a ZIP archive or a setup's payload. Engine exceptions pass through.
void List(const ReadOptions& options);

struct ExtractOptions : ReadOptions {
  std::string destDir;
  std::string overwrite = "always";  // always, never, newer or older
  bool flat = false;
};
// Extracts every entry; returns whether every entry passed. Engine exceptions pass through.
bool Extract(const ExtractOptions& options);

}  // namespace velmora::pack
