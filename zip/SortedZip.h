// The catalogue list of the ZIP engine and its sorted views. OS-independent.
#pragma once

#include <memory>
#include <vector>

#include "zip/ZipHeaderInfo.h"

namespace velmora::zip {

enum class TZipSortMode {
  ByName,
  ByFileName,
  ByDirectoryName,
  ByDate,
  ByCompressedSize,
  ByUnCompressedSize,
  ByRate,
  ByNone,
};

enum class TDuplicates { dupIgnore = 0, dupAccept = 1, dupError = 2 };

// Order of an existing entry a and a new entry b under `mode`: negative when a goes first.
int CompareEntries(TZipSortMode mode, const TZipHeaderInfo& a, const TZipHeaderInfo& b);

// Entries kept in the order of a sort mode; owns them when `ownsObjects` is set.
class TSortedZip {
 public:
  TSortedZip(TZipSortMode mode, TDuplicates duplicates, bool ownsObjects);
  ~TSortedZip();
  TSortedZip(const TSortedZip&) = delete;
  TSortedZip& operator=(const TSortedZip&) = delete;

  // Inserts by binary search: under dupIgnore an equal entry is dropped (and freed when owned),
  // under dupError it raises EListError "Duplicate Object index", under dupAccept it goes before
  // the first equal one. Returns whether the entry was inserted.
  bool Add(TZipHeaderInfo* entry);
  // Inserts many entries with the same result as adding them one by one in order, in
  // O(n log n) whatever their order.
  void AddAll(const std::vector<TZipHeaderInfo*>& entries);
  // Raises EListError: a sorted list has no free positions.
  void Put(int index, TZipHeaderInfo* entry);

  int Count() const { return int(items_.size()); }
  TZipHeaderInfo* Item(int index) const;  // EListError "Index %d is out of range"
  TZipSortMode SortMode() const { return mode_; }
  bool IsZip64() const { return isZip64_; }
  const std::vector<TZipHeaderInfo*>& Items() const { return items_; }

 private:
  TZipSortMode mode_;
  TDuplicates duplicates_;
  bool ownsObjects_;
  bool isZip64_ = false;
  std::vector<TZipHeaderInfo*> items_;
};

}  // namespace velmora::zip
