// The ZIP engine's archives over several parts: numbered part files and sets spanned over
// removable disks. OS-independent.
#include <cstdio>

#include "platform/SysFs.h"
#include "platform/SysUi.h"
#include "zip/AnsiText.h"
#include "zip/VCLUnZip.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {

namespace {

constexpr const char* kMsgCanceledDisk = "User canceled loading new disk.";
constexpr int kMessageInsertDisk = 0;

std::string Format(const char* pattern, int n) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, n);
  return text;
}

}  // namespace

std::string TVCLUnZip::SplitPartName(const std::string& base, int n, bool last, TBlockMode mode) {
  if (mode == TBlockMode::bmClassic) return base + "." + Format("%3.3d", n);
  return last ? base + ".zip" : base + "." + Format("z%2.2d", n);
}

void TVCLUnZip::OpenPart(int n) {
  archive_.reset();
  std::string name = zipName_;
  if (DiskSetMode() == 2) {
    const TSplitPartType type = n == 1 ? TSplitPartType::spFirst
                                : n == numberOfDisks_ ? TSplitPartType::spLast
                                                      : TSplitPartType::spMiddle;
    if (OnFileNameForSplitPart) {
      name = nameWithoutExtension_;
      OnFileNameForSplitPart(this, name, n, type);
    } else {
      name = SplitPartName(nameWithoutExtension_, n, type == TSplitPartType::spLast, BlockMode);
    }
  } else {
    // A spanned set: the same name on the next disk, confirmed by the user.
    for (;;) {
      if (OnGetNextDisk) {
        OnGetNextDisk(this, n, name);
      } else {
        const std::string text = "Please insert disk " + std::to_string(n) + " of the multi-disk set.";
        if (HandleMessage(kMessageInsertDisk, text, "", sys::kMbOkCancel) == sys::kIdCancel) name.clear();
      }
      if (name.empty()) throw EUserCanceled(kMsgCanceledDisk);
      const std::string label = sys::VolumeLabel(name);
      const bool labelled = !CheckDiskLabels() ||
                            (label.size() >= 3 && label.compare(label.size() - 3, 3, Format("%3.3d", n)) == 0);
      if (labelled && sys::FileExists(name)) break;
    }
  }
  archive_ = std::make_unique<TLFNFileStream>(name, sys::OpenMode::kReadShared, StreamBufferSize, false);
  currentDisk_ = n - 1;
  sys::GetDosDateTime(name, archiveTime_);
  zipName_ = name;
}

bool TVCLUnZip::NextPart(TStream*& stream) {
  OpenPart(currentDisk_ + 2);
  stream = archive_.get();
  return true;
}

size_t TVCLUnZip::ReadArchive(uint8_t* buffer, size_t count) {
  size_t got = archive_->Read(buffer, count);
  // On a multi-part archive the data goes on at the start of the next part; opening a part that
  // is not there raises.
  while (got < count && endCentral_.ThisDisk() != 0) {
    OpenPart(currentDisk_ + 2);
    got += archive_->Read(buffer + got, count - got);
  }
  return got;
}

}  // namespace velmora::zip
