// velmora-pack extract: every entry of a ZIP archive or a setup's payload into a folder, through
// the engine's extraction run, with one line per event.
#include <cstdio>

#include "ArchiveSource.h"
#include "Commands.h"
#include "HostPath.h"
#include "PackError.h"
#include "Progress.h"
#include "zip/VCLUnZip.h"

namespace velmora::pack {

std::string ShowPath(const std::string& ansi);

namespace {

zip::TUZOverwriteMode OverwriteMode(const std::string& name) {
  if (name == "always") return zip::TUZOverwriteMode::Always;
  if (name == "never") return zip::TUZOverwriteMode::Never;
  if (name == "newer") return zip::TUZOverwriteMode::ifNewer;
  if (name == "older") return zip::TUZOverwriteMode::ifOlder;
  throw PackError("--overwrite takes always, never, newer or older, not " + name);
}

const char* ReasonText(zip::TSkipReason reason) {
  switch (reason) {
    case zip::TSkipReason::srBadPassword:
      return "wrong or missing password";
    case zip::TSkipReason::srNoOverwrite:
      return "exists, not overwritten";
    case zip::TSkipReason::srCreateError:
      return "cannot be created";
    default:
      return "skipped";
  }
}

}  // namespace

bool Extract(const ExtractOptions& options) {
  ArchiveSource source(options.archive);
  zip::TVCLUnZip engine;
  OpenArchive(engine, source, options);
  engine.SetDestDir(AnsiPath(options.destDir));
  engine.DoAll = true;
  engine.RecreateDirs = !options.flat;
  engine.OverwriteMode = OverwriteMode(options.overwrite);

  int selected = 0;
  std::string current;
  Progress progress("extracting", 100, /*showBytes=*/false);
  engine.OnStartUnZipInfo = [&](zip::TVCLUnZip*, int numFiles, int64_t, bool&) { selected = numFiles; };
  engine.OnStartUnZip = [&](zip::TVCLUnZip*, int index, std::string& fName, bool&) {
    current = ShowPath(fName);
    progress.Line("extracting " + std::to_string(index) + " " + current);
  };
  engine.OnSkippingFile = [&](zip::TVCLUnZip*, zip::TSkipReason reason, const std::string& fName, int, bool&) {
    progress.Line("skipped (" + std::string(ReasonText(reason)) + ") " + ShowPath(fName));
  };
  engine.OnBadCRC = [&](zip::TVCLUnZip*, int32_t computed, int32_t stored, int) {
    char text[64];
    std::snprintf(text, sizeof text, "bad CRC (computed %08x, stored %08x) ", uint32_t(computed), uint32_t(stored));
    progress.Line(text + current);
  };
  engine.OnEndUnZip = [&](zip::TVCLUnZip*, int, const std::string& fName) { progress.Line("done " + ShowPath(fName)); };
  engine.OnHandleMessage = [&](zip::TVCLUnZip*, int, const std::string& text, const std::string& caption, uint32_t,
                               int& answer) {
    progress.Line("message (" + ShowText(caption) + "): " + ShowText(text));
    answer = 7;  // No, where a question is asked; nothing else is read
  };
  engine.OnTotalPercentDone = [&](zip::TVCLUnZip*, int percent) { progress.Update(uint64_t(percent)); };

  const int extracted = engine.ExtractEntries();
  progress.Done();
  std::printf("%d of %d entries extracted\n", extracted, selected);
  return extracted == selected;
}

}  // namespace velmora::pack
