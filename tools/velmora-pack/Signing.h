// Signing a finished setup with the maker's own command, and checking what the command left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::pack {

// A packed setup, before it is signed.
struct PackedSetup {
  std::string path;       // where it lies now (its temporary name)
  std::string shownName;  // the name it will have, for messages
  uint64_t size = 0;      // its size before signing
  uint64_t archiveSize = 0;
  size_t entries = 0;
};

// Runs `command` through the shell, %1 standing for the setup's absolute path, then checks the
// signed file: a certificate table that closes it and starts where the packed setup ended, every
// byte in front of that table as packed except the image checksum and the certificate directory
// (which a signing tool rewrites), and a payload that reads and decodes. Throws PackError.
void SignSetup(const std::string& command, const PackedSetup& setup);

// The command as a shell script that takes the setup's path as $1: each %1 becomes an expansion of
// $1 that is one word where it stands, bare or inside double or single quotes.
std::string SignScript(const std::string& command);

}  // namespace velmora::pack
