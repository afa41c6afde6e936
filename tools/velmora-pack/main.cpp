// velmora-pack: builds setup executables from a product folder, and inspects and unpacks them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "PackError.h"

using namespace velmora::pack;

namespace {

constexpr const char* kUsage =
    "usage: velmora-pack COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  build --stub STUB --from DIR --out SETUP [--dict-size BYTES]\n"
    "      Pack every file under DIR into a ZIP archive (GBK names, stored entries, sorted by name),\n"
    "      compress it as one raw LZMA stream (lc 3, lp 0, pb 2; dictionary 32 MiB unless given)\n"
    "      and write STUB followed by the payload region to SETUP.\n"
    "      SOURCE_DATE_EPOCH, when set, replaces the files' times (taken as UTC).\n"
    "  inspect SETUP\n"
    "      Show the image end, the region size, the LZMA header, the archive length and the\n"
    "      number of archive entries.\n"
    "  unpack SETUP OUT.zip\n"
    "      Copy the payload out and decode it as the setup program does; write the archive.\n"
    "\n"
    "Exit status: 0 on success, 1 on bad input or failure, 2 on a usage error.\n";

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
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  if (o.stub.empty() || o.from.empty() || o.out.empty()) throw UsageError("build needs --stub, --from and --out");
  Build(o);
  return kExitOk;
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
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "velmora-pack: out of memory\n");
    return kExitFailure;
  }
}
