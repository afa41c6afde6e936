// The ZIP engine's extraction run: selection, destination paths, overwrite rules, file creation,
// dates and attributes, the CRC verdict and progress. OS-independent.
#include "platform/SysFs.h"
#include "platform/SysUi.h"
#include "zip/AnsiText.h"
#include "zip/EntryPath.h"
#include "zip/ExtractRun.h"
#include "zip/Restore.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {

namespace {

constexpr int kMessageReplaceFile = 196;
constexpr const char* kCaptionFileExists = "File Exists Alert";

std::string WithoutTrailingBackslash(const std::string& path) {
  if (!path.empty() && LastDelimiter(path, '\\') == path.size() - 1) return path.substr(0, path.size() - 1);
  return path;
}

// The run's total counts every entry's recorded size; a damaged or hostile record can claim sizes
// whose sum does not fit, so the total stops at the largest value and never goes below 0.
int64_t EntrySize(const TZipHeaderInfo& entry) {
  const uint64_t size = entry.UncompressedSize64();
  return size > uint64_t(INT64_MAX) ? INT64_MAX : int64_t(size);
}

void AddToTotal(int64_t& total, const TZipHeaderInfo& entry) {
  const int64_t size = EntrySize(entry);
  total = total > INT64_MAX - size ? INT64_MAX : total + size;
}

void TakeFromTotal(int64_t& total, const TZipHeaderInfo& entry) {
  const int64_t size = EntrySize(entry);
  total = total > size ? total - size : 0;
}

}  // namespace

int TVCLUnZip::ExtractEntries() {
  ReadCatalogue();
  OpenArchive();

  Run run(services_.FileNamesFoldCase());
  {
    Restore<bool> keepOpen(KeepZipOpen, true);
    // Over several parts the entries are visited in part and local-header order.
    const TZipSortMode savedSortMode = SortMode;
    const bool partOrder = endCentral_.ThisDisk() != 0 && SortMode != TZipSortMode::ByNone;
    if (partOrder) BuildSortedView(TZipSortMode::ByNone);
    // The run ends the same way whether or not a step raised; an exception of OnUnZipComplete
    // leaves in place of the step's.
    const auto endRun = [&]() {
      if (partOrder) BuildSortedView(savedSortMode);
      FilesList.clear();
      if (OnUnZipComplete) OnUnZipComplete(this, run.extracted);
    };
    try {
      ExtractSelected(run);
    } catch (...) {
      endRun();
      throw;
    }
    endRun();
  }
  CloseArchive();
  return run.extracted;
}

void TVCLUnZip::ExtractSelected(Run& run) {
  if (!destDir_.empty() && !sys::DirectoryExists(destDir_)) sys::ForceDirectories(destDir_);

  int numFiles = 0;
  for (int i = 0; i < Count(); ++i) {
    MessagePoint();
    TZipHeaderInfo& entry = const_cast<TZipHeaderInfo&>(Entry(i));
    bool selected;
    if (entry.fileName.empty() && !RecreateDirs) {
      selected = false;
    } else if (DoAll) {
      selected = true;
    } else {
      const std::string path = LowerAscii(entry.StoredPath());
      selected = false;
      for (const std::string& pattern : FilesList) {
        if (MatchesWildcard(LowerAscii(pattern), path)) {
          selected = true;
          break;
        }
      }
    }
    entry.matchFlag = selected;
    if (selected) {
      AddToTotal(run.totalBytes, entry);
      ++numFiles;
    }
  }

  bool stopNow = false;
  if (OnStartUnZipInfo) OnStartUnZipInfo(this, numFiles, run.totalBytes, stopNow);
  if (numFiles == 0 || stopNow) return;
  for (int i = 0; i < Count(); ++i) {
    if (!Entry(i).matchFlag) continue;
    while (ExtractEntry(run, i)) {
    }
  }
}

bool TVCLUnZip::EntryPathBelowDestDir(const Run& run, const TZipHeaderInfo& entry, std::string& relative) const {
  if (RecreateDirs) {
    std::string folder = entry.directory;
    for (const std::string& prefix : RelativePathList) {
      if (folder.size() >= prefix.size() && SameTextAscii(folder.substr(0, prefix.size()), prefix)) {
        folder.erase(0, prefix.size());
        break;
      }
    }
    relative = folder + entry.fileName;
  } else {
    // A flat run writes the file name alone, so the folders it leaves out have no say.
    relative = entry.fileName;
  }
  std::optional<std::string> below = PathBelowDestDir(relative);
  if (!below) return false;
  relative = *below;
  run.madeNames.Respell(relative);
  return true;
}

bool TVCLUnZip::DecideOverwrite(Run&, int index, std::string& fName) {
  // Always overwrites whether or not the file is there, so it need not be looked for.
  if (OverwriteMode == TUZOverwriteMode::Always || !sys::FileExists(fName)) return true;
  switch (OverwriteMode) {
    case TUZOverwriteMode::Always:
      return true;
    case TUZOverwriteMode::Never:
      return false;
    case TUZOverwriteMode::Prompt: {
      if (OnPromptForOverwrite) {
        bool overwrite = false;
        OnPromptForOverwrite(this, overwrite, index, fName);
        return overwrite;
      }
      const std::string text = "Replace existing file " + Entry(index).fileName + "?";
      return HandleMessage(kMessageReplaceFile, text, kCaptionFileExists, sys::kMbYesNo) == sys::kIdYes;
    }
    case TUZOverwriteMode::ifNewer:
    case TUZOverwriteMode::ifOlder: {
      uint32_t existing = 0;
      if (!sys::GetDosDateTime(fName, existing)) return true;
      const uint32_t stored = Entry(index).dateTime;
      return OverwriteMode == TUZOverwriteMode::ifNewer ? stored > existing : stored < existing;
    }
  }
  return false;
}

void TVCLUnZip::MakeFolderOf(const std::string& fName) {
  // A handler's name may separate its folders with "/" as well.
  const size_t nameStart = FileNameStart(fName);
  const std::string folder = fName.substr(0, nameStart == 0 ? 0 : nameStart - 1);
  if (!folder.empty() && !sys::DirectoryExists(folder)) sys::ForceDirectories(folder);
}

std::unique_ptr<TLFNFileStream> TVCLUnZip::CreateOutputFile(const std::string& fName, uint64_t size) {
  for (int attempt = 0;; ++attempt) {
    try {
      auto file = std::make_unique<TLFNFileStream>(fName, sys::OpenMode::kCreateExclusive, StreamBufferSize,
                                                   FlushFilesOnClose);
      if (!file->SetSize(int64_t(size))) {
        // No room for the whole entry (a full volume, a size the file system cannot hold): given up
        // like a file that cannot be created, without the empty file just made.
        file.reset();
        sys::RemoveFile(fName);
        return nullptr;
      }
      file->Seek(0, TSeekOrigin::soBeginning);
      return file;
    } catch (const EFCreateError&) {
      uint32_t attributes = 0;
      if (!ReplaceReadOnly || attempt > 0 || !sys::GetAttributes(fName, attributes) ||
          (attributes & sys::kAttrReadOnly) == 0) {
        return nullptr;
      }
      sys::SetAttributes(fName, attributes & ~sys::kAttrReadOnly);
    }
  }
}

bool TVCLUnZip::ExtractEntry(Run& run, int index) {
  EntryStep step(Entry(index));
  const TZipHeaderInfo& entry = step.entry;
  bool retry = false;
  const auto giveUp = [&](TSkipReason reason, const std::string& name) {
    if (OnSkippingFile) OnSkippingFile(this, reason, name, index, retry);
    TakeFromTotal(run.totalBytes, entry);
  };

  // A name that would leave the destination folder, reach a device or be changed by Windows is
  // never written, folder entries included.
  std::string relative;
  const bool allowed = EntryPathBelowDestDir(run, entry, relative);
  const std::string named = destDir_ + "\\" + relative;
  if (entry.fileName.empty()) {
    if (!allowed) {
      giveUp(TSkipReason::srCreateError, named);
      return false;
    }
    if (!sys::DirectoryExists(named)) sys::ForceDirectories(named);
    if (RetainAttributes) sys::SetAttributes(WithoutTrailingBackslash(named), entry.externalAttributes);
    run.madeNames.Remember(relative);
    ++run.extracted;
    return false;
  }

  LocateEntryData(step.entry);
  if (!allowed) {
    giveUp(TSkipReason::srCreateError, named);
    return false;
  }
  std::string fName = named;

  bool skip = false;
  if (OnStartUnZip) OnStartUnZip(this, index, fName, skip);
  if (skip) return false;
  // From here the engine writes the entry or meets a file there already: a later name that differs
  // only in case means the same file. A handler's own name is its own affair.
  if (fName == named) run.madeNames.Remember(relative);

  MakeFolderOf(fName);

  if (entry.Encrypted()) {
    const int64_t dataStart = archive_->Position();
    while (!CheckPassword(step)) {
      std::string password = Password;
      if (OnBadPassword) OnBadPassword(this, index, password);
      if (password == Password) {
        giveUp(TSkipReason::srBadPassword, entry.StoredPath());
        return false;
      }
      Password = password;
      archive_->Seek(dataStart, TSeekOrigin::soBeginning);
    }
  }

  const std::string asked = fName;
  if (!DecideOverwrite(run, index, fName)) {
    giveUp(TSkipReason::srNoOverwrite, fName);
    return false;
  }
  if (fName != asked) MakeFolderOf(fName);  // the prompt gave another name
  std::unique_ptr<TLFNFileStream> out = CreateOutputFile(fName, entry.UncompressedSize64());
  if (!out) {
    giveUp(TSkipReason::srCreateError, fName);
    return false;
  }

  bool finished = true;
  bool decodable = true;
  try {
    DecodeEntryData(run, step, *out);
  } catch (const EBiggerThanUncompressed&) {
    finished = false;
  } catch (const EZCompressionError&) {
    // A wrong password gets past the traditional one-byte check once in 256 tries (past the AES
    // verifier once in 65,536); the deflate data it then yields is noise. That is a wrong password
    // for this entry, not a damaged archive: the entry fails its verdict and the run goes on.
    if (!entry.Encrypted()) throw;
    finished = false;
    decodable = false;
  }
  // Any other exception leaves the run here: the file stays open only until `out` goes, at its
  // pre-set size, with neither date nor attributes.
  // The last bytes still wait in the stream's buffer. Closing would write them and swallow a
  // refusal (a full disk), leaving a short file behind a good CRC; a refusal here ends the run as
  // any refused block does.
  if (!out->SavePending()) throw ECantWriteUCF(kMsgCantWrite);
  bool authenticated = true;  // an AES entry's code matched; every other entry has none
  if (step.aes) {
    uint8_t code[kAesAuthCodeSize] = {};
    authenticated = ReadArchive(code, sizeof code) == sizeof code && step.aes->CheckAuthCode(code);
  }
  // The date goes on through the handle still open, which nothing writes to any more: opening the
  // file once more for it would cost a create and a close per entry.
  if (finished) out->Handle().SetDosDateTime(entry.dateTime);
  out.reset();
  if (finished && RetainAttributes) sys::SetAttributes(fName, entry.externalAttributes);

  const uint32_t finalCrc = ~step.crc;
  if (decodable && (entry.crc32 == 0 || finalCrc == entry.crc32) && authenticated) {
    if (OnEndUnZip) OnEndUnZip(this, index, fName);
    ++run.extracted;
    return false;
  }
  if (!entry.Encrypted()) {
    if (OnBadCRC) OnBadCRC(this, int32_t(finalCrc), int32_t(entry.crc32), index);
  } else {
    std::string password = Password;
    if (OnBadPassword) OnBadPassword(this, index, password);
    if (password != Password) {
      Password = password;
      sys::RemoveFile(fName);
      return true;
    }
    if (OnSkippingFile) OnSkippingFile(this, TSkipReason::srBadPassword, entry.StoredPath(), index, retry);
  }
  sys::RemoveFile(fName);
  return false;
}

}  // namespace velmora::zip
