// The ZIP engine's reading side: naming the archive, loading its catalogue and comments.
// OS-independent.
#include "zip/VCLUnZip.h"

#include <ctime>
#include <map>
#include <set>

#include "platform/SysFs.h"
#include "zip/AnsiText.h"
#include "zip/Restore.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFormat.h"

namespace velmora::zip {

namespace {

// The MS-DOS date and time of now, for archives that are not files.
uint32_t NowDosDateTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm t = *std::localtime(&now);  // one thread only
  return uint32_t(t.tm_year - 80) << 25 | uint32_t(t.tm_mon + 1) << 21 | uint32_t(t.tm_mday) << 16 |
         uint32_t(t.tm_hour) << 11 | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_sec / 2);
}

constexpr const char* kTitleOpenZip = "Open a Zip File";
constexpr const char* kFilterOpenZip =
    "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*";
constexpr const char* kMsgCanceledZipName = "User canceled setting zip file name.";

}  // namespace

TVCLUnZip::TVCLUnZip(TZipServices& services) : services_(services) {}

TVCLUnZip::~TVCLUnZip() = default;

void TVCLUnZip::SetZipName(const std::string& newName) {
  if (SameTextAscii(newName, zipName_) && !zipName_.empty()) return;
  std::string name = newName;
  if (!name.empty() && name.back() == '?') {
    const std::string folder = ExtractFilePath(name.substr(0, name.size() - 1));
    const std::string start = !folder.empty() && sys::DirectoryExists(folder) ? folder : std::string("C:\\");
    if (!services_.PickFile(kTitleOpenZip, kFilterOpenZip, start, name)) throw EUserCanceled(kMsgCanceledZipName);
  }
  zipName_ = name;
  // Only the last extension goes: the parts and the companion of "my.backup.zip" are
  // "my.backup.z01" and "my.backup.zfc".
  nameWithoutExtension_ = name.substr(0, ExtensionStart(name));
  FreeCatalogue();
  endCentral_.Reset();
  archive_.reset();
  badArchive_ = false;
}

void TVCLUnZip::SetDestDir(const std::string& dir) {
  std::string value = dir;
  if (value == "?") {
    const std::string start = sys::DirectoryExists(destDir_) ? destDir_ : std::string(".");
    if (!services_.PickFolder(start, value)) throw EUserCanceled(kMsgCanceledDestDir);
  }
  if (!value.empty() && value.back() == '\\' && LastDelimiter(value, '\\') == value.size() - 1) value.pop_back();
  destDir_ = value;
}

void TVCLUnZip::SetRootDir(const std::string& dir) {
  rootDir_ = dir;
  if (rootDir_.empty() || LastDelimiter(rootDir_, '\\') != rootDir_.size() - 1) rootDir_ += '\\';
  RelativePathList.assign(1, rootDir_);
}

int TVCLUnZip::HandleMessage(int messageId, const std::string& text, const std::string& caption, uint32_t flags) {
  if (OnHandleMessage) {
    int answer = 0;
    OnHandleMessage(this, messageId, text, caption, flags, answer);
    return answer;
  }
  return services_.MessageBox(text, caption, flags);
}

// --- Loading ---

void TVCLUnZip::ReadCatalogue() {
  improperArchive_ = false;
  Restore<bool> busy(busy_, true);
  Restore<int> mode(operationMode_, 1);
  try {
    for (;;) {
      try {
        OpenArchive();
        break;
      } catch (const EIncompleteZip&) {
        archive_.reset();  // closed even when KeepZipOpen is set
        if (!OnInCompleteZip) break;
      }
    }
  } catch (...) {
    ClearCatalogue();
    throw;
  }
  CloseArchive();
}

void TVCLUnZip::OpenArchive() {
  if (!archive_) {
    archive_ = std::make_unique<TLFNFileStream>(zipName_, sys::OpenMode::kReadDenyWrite, StreamBufferSize, false);
  }
  uint32_t modified = 0;
  if (catalogue_ && sys::GetDosDateTime(zipName_, modified) && modified == archiveTime_) return;
  ReadCentralDirectory();
}

void TVCLUnZip::CloseArchive() {
  if (!KeepZipOpen) archive_.reset();
}

void TVCLUnZip::FreeCatalogue() {
  sortedView_.reset();
  catalogue_.reset();
}

void TVCLUnZip::ClearCatalogue() {
  archive_.reset();
  FreeCatalogue();
  endCentral_.Reset();
  badArchive_ = false;
  numberOfDisks_ = 1;
  SetDiskSetMode(0);
  zipName_.clear();
}

void TVCLUnZip::ReadCentralDirectory() {
  Restore<int> mode(operationMode_, 1);
  // Every load starts as for a sound archive: a rebuild from the local headers belongs to the load
  // that made it, not to the file that is there now.
  badArchive_ = false;
  if (!sys::GetDosDateTime(zipName_, archiveTime_)) archiveTime_ = NowDosDateTime();
  if (catalogue_ && catalogue_->Count() > 0) FreeCatalogue();

  endCentral_.Reset();
  bool found = endCentral_.ReadEndOfCentral(*archive_);
  if (found && endCentral_.ThisDisk() < endCentral_.StartDisk()) found = false;
  if (!found) {
    // A companion file may carry the central directory of an archive that lost it.
    const std::string companionName = nameWithoutExtension_ + ".zfc";
    if (sys::FileExists(companionName)) {
      companion_ = std::make_unique<TLFNFileStream>(companionName, sys::OpenMode::kReadDenyWrite, StreamBufferSize, false);
      found = endCentral_.ReadEndOfCentral(*companion_);
      if (!found) companion_.reset();
    }
  }
  struct CloseCompanion {
    std::unique_ptr<TLFNFileStream>& companion;
    ~CloseCompanion() { companion.reset(); }
  } closeCompanion{companion_};

  if (found) {
    currentDisk_ = companion_ ? 0 : int(endCentral_.ThisDisk());
    if (endCentral_.ThisDisk() != 0 && DiskSetMode() == 0) {
      SetDiskSetMode(sys::IsRemovableDrive(zipName_) ? 1 : 2);
    } else if (endCentral_.ThisDisk() == 0) {
      SetDiskSetMode(0);
    }
    numberOfDisks_ = int(endCentral_.ThisDisk()) + 1;
    if (endCentral_.TotalEntries() != 0) {
      if (companion_) {
        companion_->Seek(0, TSeekOrigin::soBeginning);
      } else {
        if (DiskSetMode() != 0 && endCentral_.StartDisk() != uint32_t(currentDisk_)) OpenPart(int(endCentral_.StartDisk()) + 1);
        archive_->Seek(int64_t(endCentral_.CentralOffset()), TSeekOrigin::soBeginning);
      }
    }
  } else {
    if (OnInCompleteZip) OnInCompleteZip(this, IncompleteZipMode);
    if (IncompleteZipMode == TIncompleteZipMode::izAssumeNotAZip) throw ENotAZipFile(kMsgNotAZip);
    if (IncompleteZipMode == TIncompleteZipMode::izAssumeMulti) throw EIncompleteZip(kMsgIncompleteZip);
    if (!RecoverFromLocalHeaders()) {
      ClearCatalogue();
      throw EBadZipFile(kMsgNotAZip);
    }
    archive_->Seek(int64_t(endCentral_.CentralOffset()), TSeekOrigin::soBeginning);
  }
  ReadCentralHeaders(companion_ ? companion_.get() : archive_.get());

  currentDisk_ = companion_ ? 0 : int(endCentral_.ThisDisk());
  BuildSortedView(SortMode);
}

void TVCLUnZip::ReadCentralHeaders(TStream* stream) {
  if (!catalogue_) catalogue_ = std::make_unique<TSortedZip>(TZipSortMode::ByNone, TDuplicates::dupError, true);
  const TNextPartFunction nextPart = [this](TStream*& s) { return NextPart(s); };

  // Normal mode collects the headers and adds them at the end; two headers for one local header
  // switch to a catalogue rebuilt from the local headers (bad mode), which the central headers
  // then only complete.
  std::vector<std::unique_ptr<TZipHeaderInfo>> entries;
  std::set<std::pair<uint32_t, uint64_t>> localHeaders;
  std::map<std::pair<uint32_t, uint64_t>, TZipHeaderInfo*> rebuilt;
  auto restartInBadMode = [&]() {
    entries.clear();
    localHeaders.clear();
    for (TZipHeaderInfo* e : catalogue_->Items()) rebuilt[{e->DiskNumberStart32(), e->LocalHeaderOffset64()}] = e;
    stream = archive_.get();
    stream->Seek(int64_t(endCentral_.CentralOffset()), TSeekOrigin::soBeginning);
  };
  if (badArchive_) restartInBadMode();

  uint16_t previousExtraLength = 0;
  TZipHeaderInfo* previous = nullptr;
  for (uint64_t i = 0; i < endCentral_.TotalEntries(); ++i) {
    if (DoProcessMessages) services_.ProcessMessages();
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->oemConvert = OEMConvert;
    const TNextPartFunction* next = (!badArchive_ && DiskSetMode() != 0 && !companion_) ? &nextPart : nullptr;
    bool ok = entry->ReadCentralHeader(stream, next ? *next : TNextPartFunction());
    if (!ok && previousExtraLength != 0 && previous != nullptr) {
      // The previous entry's extra length was probably wrong: read again from where it began.
      previous->centralExtraLength = 0;
      stream->Seek(-int64_t(previousExtraLength), TSeekOrigin::soCurrent);
      ok = entry->ReadCentralHeader(stream, next ? *next : TNextPartFunction());
    }
    if (!ok && badArchive_) break;
    const std::pair<uint32_t, uint64_t> key{entry->DiskNumberStart32(), entry->LocalHeaderOffset64()};
    // An unreadable header (on a single file), or a second header for one local header: rebuild
    // from the local headers and read the directory again into that catalogue.
    const bool unreadable = !ok && DiskSetMode() == 0;
    const bool duplicate = ok && !badArchive_ && !localHeaders.insert(key).second;
    if (!ok || duplicate) {
      if (!(unreadable || duplicate) || !RecoverFromLocalHeaders()) {
        ClearCatalogue();
        throw EBadZipFile(kMsgNotAZip);
      }
      restartInBadMode();
      i = uint64_t(-1);
      previousExtraLength = 0;
      previous = nullptr;
      continue;
    }
    // A comment in another part or in a companion file is read now, while that file is open: a
    // later request would look for it in the archive file.
    if ((endCentral_.ThisDisk() != 0 || companion_) && entry->fileCommentLength != 0) {
      const int64_t after = stream->Position();
      std::string comment(entry->fileCommentLength, '\0');
      stream->Seek(after + entry->centralExtraLength, TSeekOrigin::soBeginning);
      comment.resize(stream->Read(&comment[0], comment.size()));
      entry->fileComment = comment;
      stream->Seek(after, TSeekOrigin::soBeginning);
    }
    stream->Seek(int64_t(entry->centralExtraLength) + entry->fileCommentLength, TSeekOrigin::soCurrent);
    previousExtraLength = entry->centralExtraLength;
    if (badArchive_) {
      // Complete the rebuilt entry with the central data, keeping its local-header offset.
      auto it = rebuilt.find(key);
      if (it == rebuilt.end()) continue;
      const uint64_t offset = it->second->LocalHeaderOffset64();
      *it->second = *entry;
      it->second->SetLocalHeaderOffset64(offset);
      previous = it->second;
    } else {
      previous = entry.get();
      entries.push_back(std::move(entry));
    }
  }

  if (!badArchive_) {
    std::vector<TZipHeaderInfo*> raw;
    raw.reserve(entries.size());
    for (auto& e : entries) raw.push_back(e.get());
    catalogue_->AddAll(raw);  // no duplicates: checked above
    for (auto& e : entries) e.release();  // the catalogue owns them now
  }
}

void TVCLUnZip::BuildSortedView(TZipSortMode mode) {
  sortedView_.reset();
  if (mode != TZipSortMode::ByNone && catalogue_) {
    sortedView_ = std::make_unique<TSortedZip>(mode, TDuplicates::dupAccept, false);
    sortedView_->AddAll(catalogue_->Items());
  }
  SortMode = mode;
}

void TVCLUnZip::Sort(TZipSortMode mode) { BuildSortedView(mode); }

// --- Access ---

int TVCLUnZip::Count() const { return catalogue_ ? catalogue_->Count() : 0; }

const TZipHeaderInfo& TVCLUnZip::Entry(int index) const {
  if (!catalogue_) throw IndexOutOfRange(index);
  return *(sortedView_ ? sortedView_ : catalogue_)->Item(index);
}

std::string TVCLUnZip::ReadCommentAt(int64_t position, uint16_t length) {
  const bool wasOpen = archive_ != nullptr;
  if (!wasOpen) {
    archive_ = std::make_unique<TLFNFileStream>(zipName_, sys::OpenMode::kReadDenyWrite, StreamBufferSize, false);
  }
  const int64_t saved = archive_->Position();
  std::string text(length, '\0');
  archive_->Seek(position, TSeekOrigin::soBeginning);
  text.resize(archive_->Read(&text[0], length));
  archive_->Seek(saved, TSeekOrigin::soBeginning);
  if (DiskSetMode() == 0 && !wasOpen) archive_.reset();
  return text;
}

std::string TVCLUnZip::FileComment(int index) {
  TZipHeaderInfo& entry = const_cast<TZipHeaderInfo&>(Entry(index));
  if (!entry.fileComment) {
    const int64_t at = entry.centralOffset + kCentralHeaderSize + entry.fileNameLength + entry.centralExtraLength;
    entry.fileComment = entry.fileCommentLength == 0 ? std::string() : ReadCommentAt(at, entry.fileCommentLength);
  }
  return *entry.fileComment;
}

std::string TVCLUnZip::ZipComment() const { return endCentral_.comment.value_or(std::string()); }

}  // namespace velmora::zip
