// The ZIP engine: reads an archive's catalogue and extracts its entries, with events for progress
// and per-file control. OS-independent; system services come through TZipServices and platform/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip/EndCentral.h"
#include "zip/SortedZip.h"
#include "zip/Streams.h"
#include "zip/ZipHeaderInfo.h"
#include "zip/ZipServices.h"

namespace velmora::zip {

class TVCLUnZip;

enum class TIncompleteZipMode { izAssumeMulti, izAssumeBad, izAssumeNotAZip };
enum class TBlockMode { bmStandard, bmClassic };
enum class TSplitPartType { spFirst, spMiddle, spLast };
enum class TUZOverwriteMode { Prompt, Always, Never, ifNewer, ifOlder };
enum class TSkipReason {
  srBadPassword,
  srNoOverwrite,
  srFileOpenError,
  srCreateError,
  srExcludeList,
  srArchiveBitNotSet,
  srNoFileToFreshen,
  srSkippedInStartZip,
};

// Events: bound handlers called synchronously; reference parameters are the "var" ones, whose
// changed values the engine uses.
using TStartUnzipInfo = std::function<void(TVCLUnZip* Sender, int NumFiles, int64_t TotalBytes, bool& StopNow)>;
using TStartUnZipEvent = std::function<void(TVCLUnZip* Sender, int FileIndex, std::string& FName, bool& Skip)>;
using TPromptForOverwrite = std::function<void(TVCLUnZip* Sender, bool& OverWriteIt, int FileIndex, std::string& FName)>;
using TSkippingFile =
    std::function<void(TVCLUnZip* Sender, TSkipReason Reason, const std::string& FName, int FileIndex, bool& Retry)>;
using TBadPassword = std::function<void(TVCLUnZip* Sender, int FileIndex, std::string& NewPassword)>;
using TFilePercentDone = std::function<void(TVCLUnZip* Sender, int Percent)>;
using TTotalPercentDone = std::function<void(TVCLUnZip* Sender, int Percent)>;
using TBadCRC = std::function<void(TVCLUnZip* Sender, int32_t CalcCRC, int32_t StoredCRC, int FileIndex)>;
using TEndUnZipEvent = std::function<void(TVCLUnZip* Sender, int FileIndex, const std::string& FName)>;
using TUnZipComplete = std::function<void(TVCLUnZip* Sender, int FileCount)>;
using THandleMessageEvent = std::function<void(TVCLUnZip* Sender, int MessageID, const std::string& Msg1,
                                               const std::string& Msg2, uint32_t flags, int& Return)>;
using TInCompleteZipEvent = std::function<void(TVCLUnZip* Sender, TIncompleteZipMode& IncompleteMode)>;
using TGetNextDisk = std::function<void(TVCLUnZip* Sender, int NextDisk, std::string& FName)>;
using TFileNameForSplitPart =
    std::function<void(TVCLUnZip* Sender, std::string& PartName, int PartNum, TSplitPartType PartType)>;

class TVCLUnZip {
 public:
  explicit TVCLUnZip(TZipServices& services = SystemZipServices());
  virtual ~TVCLUnZip();
  TVCLUnZip(const TVCLUnZip&) = delete;
  TVCLUnZip& operator=(const TVCLUnZip&) = delete;

  // --- Catalogue settings ---
  const std::string& ZipName() const { return zipName_; }
  virtual void SetZipName(const std::string& name);
  TZipSortMode SortMode = TZipSortMode::ByNone;
  TIncompleteZipMode IncompleteZipMode = TIncompleteZipMode::izAssumeMulti;
  bool KeepZipOpen = false;
  TOEMConvert OEMConvert = TOEMConvert::oemAlways;
  TBlockMode BlockMode = TBlockMode::bmStandard;
  size_t StreamBufferSize = 8192;
  virtual int DiskSetMode() const { return diskSetMode_; }
  virtual void SetDiskSetMode(int mode) { diskSetMode_ = mode; }
  // Whether a disk of a spanned set must carry the part number at the end of its volume label.
  virtual bool CheckDiskLabels() const { return checkDiskLabels_; }
  virtual void SetCheckDiskLabels(bool check) { checkDiskLabels_ = check; }

  // The default name of part n of a numbered set whose name without extension is `base`:
  // bmClassic base.001, base.002 ...; bmStandard base.z01, base.z02 ... and base.zip for the last.
  static std::string SplitPartName(const std::string& base, int n, bool last, TBlockMode mode);

  // --- Extraction settings ---
  const std::string& DestDir() const { return destDir_; }
  // Removes one trailing "\"; "?" asks the user (EUserCanceled when cancelled).
  void SetDestDir(const std::string& dir);
  const std::string& RootDir() const { return rootDir_; }
  // Adds a missing trailing "\" and makes it the only RelativePathList line.
  void SetRootDir(const std::string& dir);
  std::vector<std::string> RelativePathList;
  bool RecreateDirs = false;
  TUZOverwriteMode OverwriteMode = TUZOverwriteMode::Prompt;
  std::vector<std::string> FilesList;
  bool DoAll = false;
  bool DoProcessMessages = true;
  bool RetainAttributes = true;
  bool ReplaceReadOnly = false;
  bool FlushFilesOnClose = false;
  std::string Password;

  // --- Events ---
  TStartUnzipInfo OnStartUnZipInfo;
  TStartUnZipEvent OnStartUnZip;
  TPromptForOverwrite OnPromptForOverwrite;
  TSkippingFile OnSkippingFile;
  TBadPassword OnBadPassword;
  TFilePercentDone OnFilePercentDone;
  TTotalPercentDone OnTotalPercentDone;
  TBadCRC OnBadCRC;
  TEndUnZipEvent OnEndUnZip;
  TUnZipComplete OnUnZipComplete;
  THandleMessageEvent OnHandleMessage;
  TInCompleteZipEvent OnInCompleteZip;
  TGetNextDisk OnGetNextDisk;
  TFileNameForSplitPart OnFileNameForSplitPart;

  // --- Catalogue ---
  void ReadCatalogue();
  int Count() const;
  // Whether a catalogue is held: false after a load that found no end record and no handler.
  bool HasCatalogue() const { return catalogue_ != nullptr; }
  // Entries through the sorted view; EListError "Index %d is out of range".
  const TZipHeaderInfo& Entry(int index) const;
  std::string Filename(int index) const { return Entry(index).fileName; }
  std::string FileComment(int index);
  std::string ZipComment() const;
  // Rebuilds the sorted view for `mode` at once and stores the mode.
  void Sort(TZipSortMode mode);
  const TEndCentral& EndCentral() const { return endCentral_; }

  // --- Extraction ---
  int ExtractEntries();

  // Sends a message to the user: OnHandleMessage, or a system message box. Returns the answer.
  int HandleMessage(int messageId, const std::string& text, const std::string& caption, uint32_t flags);

 private:
  struct Run;        // what lasts for one extraction run
  struct EntryStep;  // what one entry step works on, made new for each

  void OpenArchive();
  void CloseArchive();
  void ClearCatalogue();
  void ReadCentralDirectory();
  // Reads the end record's count of central headers from `stream` into the catalogue.
  void ReadCentralHeaders(TStream* stream);
  // Rebuilds the catalogue from the local headers; false when it already ran for this load or
  // found no local header.
  bool RecoverFromLocalHeaders();
  // Opens part n (from 1) of a spanned or numbered set as the archive stream.
  void OpenPart(int n);
  // The next-part function of the central-header reader: opens the following part.
  bool NextPart(TStream*& stream);
  // Reads `count` bytes of entry data, continuing in the next parts of a multi-part archive.
  size_t ReadArchive(uint8_t* buffer, size_t count);
  void FreeCatalogue();
  void BuildSortedView(TZipSortMode mode);
  // Opens the archive when it is not open, for a comment read; closes it again afterwards.
  std::string ReadCommentAt(int64_t position, uint16_t length);

  // The selection pass and the entry steps of a run.
  void ExtractSelected(Run& run);
  // One entry step; true when it must run again for the same entry (a new password was given).
  bool ExtractEntry(Run& run, int index);
  // The entry's path below DestDir in `relative`: the stored path without the first
  // RelativePathList prefix its folder starts with (in a flat run the file name alone), made safe
  // by PathBelowDestDir and spelled as the run made it before. False when that name is refused;
  // `relative` is then the name as it was checked, for the skip event.
  bool EntryPathBelowDestDir(const Run& run, const TZipHeaderInfo& entry, std::string& relative) const;
  bool DecideOverwrite(Run& run, int index, std::string& fName);
  // Creates the folder a destination path names, with its parents, when it is not there.
  static void MakeFolderOf(const std::string& fName);
  std::unique_ptr<TLFNFileStream> CreateOutputFile(const std::string& fName, uint64_t size);

  // Entry data (stored copy and deflate), reading from the archive into `out`.
  void LocateEntryData(TZipHeaderInfo& entry);
  // Checks the engine's password against an encrypted entry whose data the archive is positioned
  // at, and keeps the decryptor for the entry's data.
  bool CheckPassword(EntryStep& step);
  // Bytes of encryption header before an entry's data, and of authentication code after it.
  static uint64_t EncryptionOverhead(const TZipHeaderInfo& entry);
  void DecodeEntryData(Run& run, EntryStep& step, TStream& out);
  void CopyStored(Run& run, EntryStep& step, TStream& out);
  void Inflate(Run& run, EntryStep& step, TStream& out);
  class EntryBytes;
  void DecodeOlderMethod(Run& run, EntryStep& step, TStream& out);
  size_t ReadInputBlock(Run& run, EntryStep& step);
  void WriteOutputBlock(Run& run, EntryStep& step, TStream& out, size_t count);
  void MessagePoint();
  void Decrypt(EntryStep& step, uint8_t* data, size_t size);

  TZipServices& services_;
  std::string zipName_;
  std::string nameWithoutExtension_;
  std::string destDir_;
  std::string rootDir_;
  int diskSetMode_ = 0;
  bool checkDiskLabels_ = true;

  std::unique_ptr<TLFNFileStream> archive_;
  std::unique_ptr<TLFNFileStream> companion_;  // the .zfc file holding the central directory
  std::unique_ptr<TSortedZip> catalogue_;
  std::unique_ptr<TSortedZip> sortedView_;  // empty when the view is the catalogue itself
  TEndCentral endCentral_;
  uint32_t archiveTime_ = 0;
  bool badArchive_ = false;
  bool improperArchive_ = false;
  int numberOfDisks_ = 1;
  int currentDisk_ = 0;
  bool busy_ = false;
  int operationMode_ = 0;
};

}  // namespace velmora::zip
