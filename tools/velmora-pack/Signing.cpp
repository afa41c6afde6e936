// Signing a finished setup with the maker's own command, and checking what the command left.
#include "Signing.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "HostPath.h"
#include "PackError.h"
#include "SetupLayout.h"
#include "payload/PeHeaders.h"
#include "platform/SysCrypto.h"
#include "platform/SysFile.h"

namespace velmora::pack {

namespace {

constexpr size_t kOptionalHeaderAfterCoff = 20;
constexpr size_t kChecksumField = 64;  // in the optional header, PE32 and PE32+ alike
constexpr size_t kChecksumSize = 4;
constexpr size_t kSecurityEntrySize = 8;
constexpr size_t kDigestChunk = 1 << 20;

using Digest = std::array<uint8_t, sys::kSha1DigestSize>;

// A byte range of the file that signing may rewrite.
struct Field {
  uint64_t at = 0;
  uint64_t size = 0;
};

// The image checksum and the certificate directory, read from the packed setup's headers.
std::vector<Field> SigningFields(sys::File& file) {
  uint8_t head[payload::kPeHeadSize];
  if (file.Seek(0, sys::SeekFrom::kBegin) < 0) return {};
  const std::optional<payload::PeHeaders> pe = payload::ParsePeHeaders(head, file.Read(head, sizeof head));
  if (!pe) return {};
  std::vector<Field> fields{{uint64_t{pe->coffAt} + kOptionalHeaderAfterCoff + kChecksumField, kChecksumSize}};
  if (pe->securityEntryAt) fields.push_back({*pe->securityEntryAt, kSecurityEntrySize});
  return fields;
}

// A digest of the file's first `size` bytes, each of `fields` taken as zeros. Nothing when the file
// is shorter.
std::optional<Digest> DigestOf(sys::File& file, uint64_t size, const std::vector<Field>& fields) {
  static const uint8_t kKey[] = {'v', 'e', 'l', 'm', 'o', 'r', 'a'};
  sys::THmacSha1 hmac;
  if (!hmac.Init(kKey, sizeof kKey) || file.Seek(0, sys::SeekFrom::kBegin) < 0) return std::nullopt;
  std::vector<uint8_t> chunk(kDigestChunk);
  for (uint64_t done = 0; done < size;) {
    const size_t want = size - done < chunk.size() ? size_t(size - done) : chunk.size();
    if (file.Read(chunk.data(), want) != want) return std::nullopt;
    for (const Field& f : fields) {
      const uint64_t from = std::max(f.at, done), to = std::min(f.at + f.size, done + want);
      if (from < to) std::memset(chunk.data() + (from - done), 0, size_t(to - from));
    }
    if (!hmac.Update(chunk.data(), want)) return std::nullopt;
    done += want;
  }
  Digest digest;
  if (!hmac.Final(digest.data())) return std::nullopt;
  return digest;
}

// `path` as seen from the current folder, made absolute, so that a command that first changes its
// folder still finds the setup.
std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::vector<char> cwd(4096);
  while (getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE) throw PackError(std::string("cannot name the current folder: ") + std::strerror(errno));
    cwd.resize(cwd.size() * 2);
  }
  return std::string(cwd.data()) + "/" + path;
}

void RunSignCommand(const std::string& command, const std::string& file) {
  const std::string script = SignScript(command);
  std::fflush(stdout);
  const char* argv[] = {"sh", "-c", script.c_str(), "velmora-pack-sign", file.c_str(), nullptr};
  pid_t child = 0;
  if (const int error = posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ)) {
    throw PackError(std::string("cannot start the signing command: ") + std::strerror(error));
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw PackError(std::string("cannot wait for the signing command: ") + std::strerror(errno));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw PackError("the signing command failed (" +
                    (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                       : "signal " + std::to_string(WTERMSIG(status))) +
                    "): " + command);
  }
}

}  // namespace

std::string SignScript(const std::string& command) {
  enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
  std::string script;
  for (size_t i = 0; i < command.size();) {
    const char c = command[i];
    if (command.compare(i, 2, "%1") == 0) {
      script += quote == Quote::kNone ? "\"${1}\"" : quote == Quote::kDouble ? "${1}" : "'\"${1}\"'";
      i += 2;
      continue;
    }
    script += c;
    ++i;
    if (quote == Quote::kSingle) {
      if (c == '\'') quote = Quote::kNone;
    } else if (c == '\\' && i < command.size()) {
      script += command[i++];  // an escaped character never opens or closes a quote
    } else if (c == '"') {
      quote = quote == Quote::kDouble ? Quote::kNone : Quote::kDouble;
    } else if (c == '\'' && quote == Quote::kNone) {
      quote = Quote::kSingle;
    }
  }
  return script;
}

void SignSetup(const std::string& command, const PackedSetup& setup) {
  const std::string& name = setup.shownName;
  std::vector<Field> fields;
  std::optional<Digest> packed;
  {
    sys::File file = sys::File::Open(AnsiPath(setup.path), sys::OpenMode::kReadShared);
    if (file) {
      fields = SigningFields(file);
      packed = DigestOf(file, setup.size, fields);
    }
    if (!packed) throw PackError(name + ": cannot read the packed setup back: " + std::strerror(errno));
  }

  RunSignCommand(command, AbsolutePath(setup.path));

  try {
    sys::File signedSetup = sys::File::Open(AnsiPath(setup.path), sys::OpenMode::kReadShared);
    if (!signedSetup) throw PackError(name + ": the signing command left no file: " + std::strerror(errno));
    const payload::RegionPlace region = FindRegion(signedSetup, name);
    if (region.end.rule != payload::RegionEndRule::kCertificateTable) {
      throw PackError(name + ": no certificate table ends the file: the signing command did not sign it");
    }
    if (region.end.offset != setup.size || DigestOf(signedSetup, setup.size, fields) != packed) {
      throw PackError(name + ": the signing command changed the setup in front of the certificate table (at " +
                      std::to_string(region.end.offset) + "; the packed setup had " + std::to_string(setup.size) +
                      " bytes), beyond the image checksum and the certificate directory");
    }
    const DecodedPayload decoded = DecodeRegion(signedSetup, region, name);
    if (decoded.archiveLength != setup.archiveSize || decoded.entries != long(setup.entries)) {
      throw PackError(name + ": the payload decodes to another archive (" + std::to_string(decoded.archiveLength) +
                      " bytes, " + std::to_string(decoded.entries) + " entries)");
    }
    std::printf("%s: signed, certificate table of %u bytes at %llu; the payload reads and decodes\n", name.c_str(),
                unsigned(region.end.directory->size), static_cast<unsigned long long>(region.end.offset));
  } catch (const PackError& e) {
    throw PackError(std::string(e.what()) + "\n  (found when checking the signed setup; " + name + " was not written)");
  }
}

}  // namespace velmora::pack
