// velmora-pack: builds setup executables from a product folder, and inspects and unpacks them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "HostPath.h"
#include "PackError.h"
#include "platform/Exception.h"

using namespace velmora::pack;

namespace {

constexpr const char* kUsage =
    "usage: velmora-pack COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  build --stub STUB --from DIR --out SETUP [--dict-size BYTES] [--sign-command CMD]\n"
    "      Pack every file under DIR into a ZIP archive (GBK names, stored entries, sorted by name),\n"
    "      compress it as one raw LZMA stream (lc 3, lp 0, pb 2; dictionary 32 MiB unless given)\n"
    "      and write STUB, zero padding and the payload region to SETUP, the region ending on an\n"
    "      8-byte boundary. A signature of STUB itself is left out. A file name that Windows\n"
    "      cannot hold (aux.txt, notes., what?.txt) or that differs from another only in letter\n"
    "      case is refused, since the setup could not install it.\n"
    "      --sign-command runs CMD with /bin/sh on the finished setup, %1 standing for its absolute\n"
    "      path as one word (bare, or inside quotes as in \"%1.signed\"), and checks that the signing\n"
    "      tool only appended its table and rewrote the checksum and the certificate directory, and\n"
    "      that the payload still reads and decodes; SETUP appears only then. Example:\n"
    "        --sign-command 'osslsigncode sign -certs maker.pem -key maker.key -in %1 -out %1.signed\n"
    "                        && mv %1.signed %1'\n"
    "      SOURCE_DATE_EPOCH, when set, replaces the files' times (taken as UTC).\n"
    "  inspect SETUP\n"
    "      Show the certificate table, where the region ends and by which rule (before a certificate\n"
    "      table that ends the file, else at the end of the file), the region's start and size, the\n"
    "      LZMA header, the archive length and the number of archive entries.\n"
    "  unpack SETUP OUT.zip\n"
    "      Copy the payload out and decode it as the setup program does; write the archive.\n"
    "  list ARCHIVE|SETUP [--password P] [--recover]\n"
    "      List the entries (index, method, sizes, CRC, date, attributes, path) as the setup's\n"
    "      ZIP engine reads them. A setup's payload is decoded first.\n"
    "  extract ARCHIVE|SETUP DESTDIR [--overwrite always|never|newer|older] [--flat]\n"
    "                                [--password P] [--recover]\n"
    "      Extract every entry with the setup's ZIP engine, recreating folders (not with --flat);\n"
    "      existing files are replaced unless --overwrite says otherwise. One line per event.\n"
    "  For a split set name its last part (set.zip, or set.004 for classic numbered names).\n"
    "  --password gives the password of encrypted entries; --recover rebuilds the catalogue of an\n"
    "  archive without end record from its local headers.\n"
    "\n"
    "Exit status: 0 on success; 1 on bad input, or when extract skipped or failed an entry;\n"
    "2 on a usage error, or when the ZIP engine ended with an error (its class and message\n"
    "are printed).\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

uint32_t ParseSize(const std::string& text) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || text[0] == '-' || v > 0xFFFFFFFFull) throw UsageError("not a byte count: " + text);
  return static_cast<uint32_t>(v);
}

int RunBuild(const std::vector<std::string>& args) {
  BuildOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) throw UsageError("missing value after " + a);
    const std::string& v = args[++i];
    if (a == "--stub") {
      o.stub = v;
    } else if (a == "--from") {
      o.from = v;
    } else if (a == "--out") {
      o.out = v;
    } else if (a == "--dict-size") {
      o.dictionarySize = ParseSize(v);
    } else if (a == "--sign-command") {
      if (v.find("%1") == std::string::npos) throw UsageError("--sign-command needs %1 where the setup's path goes");
      o.signCommand = v;
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  if (o.stub.empty() || o.from.empty() || o.out.empty()) throw UsageError("build needs --stub, --from and --out");
  Build(o);
  return kExitOk;
}

// Takes the reading options out of `args`, leaving the rest.
std::vector<std::string> TakeReadOptions(const std::vector<std::string>& args, ReadOptions& o) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--recover") {
      o.recover = true;
    } else if (args[i] == "--password") {
      if (++i >= args.size()) throw UsageError("missing value after --password");
      o.password = args[i];
    } else {
      rest.push_back(args[i]);
    }
  }
  return rest;
}

int RunList(const std::vector<std::string>& args) {
  ReadOptions o;
  const std::vector<std::string> rest = TakeReadOptions(args, o);
  if (rest.size() != 1) throw UsageError("list takes one archive or setup");
  o.archive = rest[0];
  List(o);
  return kExitOk;
}

int RunExtract(const std::vector<std::string>& args) {
  ExtractOptions o;
  std::vector<std::string> positional;
  const std::vector<std::string> rest = TakeReadOptions(args, o);
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == "--flat") {
      o.flat = true;
    } else if (rest[i] == "--overwrite") {
      if (++i >= rest.size()) throw UsageError("missing value after --overwrite");
      o.overwrite = rest[i];
    } else {
      positional.push_back(rest[i]);
    }
  }
  if (positional.size() != 2) throw UsageError("extract takes an archive or setup and a destination folder");
  o.archive = positional[0];
  o.destDir = positional[1];
  return Extract(o) ? kExitOk : kExitFailure;
}

int Run(const std::vector<std::string>& args) {
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "build") return RunBuild(rest);
  if (command == "inspect") {
    if (rest.size() != 1) throw UsageError("inspect takes one setup file");
    Inspect(rest[0]);
    return kExitOk;
  }
  if (command == "unpack") {
    if (rest.size() != 2) throw UsageError("unpack takes a setup file and an output file");
    Unpack(rest[0], rest[1]);
    return kExitOk;
  }
  if (command == "list") return RunList(rest);
  if (command == "extract") return RunExtract(rest);
  throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h" || a == "help") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
  }
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  try {
    return Run(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "velmora-pack: %s\n(see velmora-pack --help)\n", e.what());
    return kExitUsage;
  } catch (const PackError& e) {
    std::fprintf(stderr, "velmora-pack: %s\n", e.what());
    return kExitFailure;
  } catch (const velmora::Exception& e) {
    // An engine ended its work with an error: its class and (code page 936) message.
    std::fprintf(stderr, "velmora-pack: %s: %s\n", e.ClassName(), ShowText(e.what()).c_str());
    return kExitEngineError;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "velmora-pack: out of memory\n");
    return kExitFailure;
  }
}
