// The catalogue list of the ZIP engine and its sorted views. OS-independent.
#include "zip/SortedZip.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "zip/AnsiText.h"
#include "zip/ZipErrors.h"

namespace velmora::zip {

namespace {

int CompareText(const std::string& a, const std::string& b) {
  const std::string la = LowerAscii(a), lb = LowerAscii(b);
  return la < lb ? -1 : la > lb ? 1 : 0;
}

int Rate(const TZipHeaderInfo& e) {
  if (e.uncompressedSize == 0) return 0;
  const double r = std::nearbyint(double(e.compressedSize) * 100.0 / double(e.uncompressedSize));
  return r > 100 ? 100 : int(r);
}

// The date and time as a count that orders correctly, 0 when they name no real moment: a day the
// month does not have (30 February, 29 February outside a leap year, 31 April), or a time of
// day past 23:59:58.
int64_t DateValue(uint32_t dosDateTime) {
  const uint32_t seconds2 = dosDateTime & 0x1F, minutes = dosDateTime >> 5 & 0x3F, hours = dosDateTime >> 11 & 0x1F;
  const uint32_t day = dosDateTime >> 16 & 0x1F, month = dosDateTime >> 21 & 0x0F;
  const uint32_t year = 1980 + (dosDateTime >> 25 & 0x7F);
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  static constexpr uint32_t kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return 0;
  if (day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0)) return 0;
  if (hours > 23 || minutes > 59 || seconds2 > 29) return 0;
  return int64_t(dosDateTime);
}

// The three-way order of a mode, with real ties; `neverEqual` says that ties are broken by
// insertion order (a tie places the new entry after the old ones).
int Rank(TZipSortMode mode, const TZipHeaderInfo& a, const TZipHeaderInfo& b, bool& neverEqual) {
  neverEqual = false;
  switch (mode) {
    case TZipSortMode::ByName:
      return CompareText(a.directory + a.fileName, b.directory + b.fileName);
    case TZipSortMode::ByFileName:
      return CompareText(a.fileName, b.fileName);
    case TZipSortMode::ByDirectoryName:
      return CompareText(a.directory, b.directory);
    case TZipSortMode::ByDate: {
      neverEqual = true;
      const int64_t da = DateValue(a.dateTime), db = DateValue(b.dateTime);
      return da > db ? -1 : da < db ? 1 : 0;
    }
    case TZipSortMode::ByCompressedSize:
      neverEqual = true;
      return a.compressedSize > b.compressedSize ? -1 : a.compressedSize < b.compressedSize ? 1 : 0;
    case TZipSortMode::ByUnCompressedSize:
      neverEqual = true;
      return a.uncompressedSize > b.uncompressedSize ? -1 : a.uncompressedSize < b.uncompressedSize ? 1 : 0;
    case TZipSortMode::ByRate: {
      const int ra = Rate(a), rb = Rate(b);
      return ra > rb ? -1 : ra < rb ? 1 : 0;
    }
    case TZipSortMode::ByNone:
      break;
  }
  if (a.DiskNumberStart32() != b.DiskNumberStart32()) return a.DiskNumberStart32() < b.DiskNumberStart32() ? -1 : 1;
  const uint64_t oa = a.LocalHeaderOffset64(), ob = b.LocalHeaderOffset64();
  return oa < ob ? -1 : oa > ob ? 1 : 0;
}

}  // namespace

int CompareEntries(TZipSortMode mode, const TZipHeaderInfo& a, const TZipHeaderInfo& b) {
  bool neverEqual;
  const int r = Rank(mode, a, b, neverEqual);
  // Never-equal modes place b before a only when b ranks strictly higher.
  if (neverEqual && r == 0) return -1;
  return r;
}

TSortedZip::TSortedZip(TZipSortMode mode, TDuplicates duplicates, bool ownsObjects)
    : mode_(mode), duplicates_(duplicates), ownsObjects_(ownsObjects) {}

TSortedZip::~TSortedZip() {
  if (ownsObjects_) {
    for (TZipHeaderInfo* e : items_) delete e;
  }
}

bool TSortedZip::Add(TZipHeaderInfo* entry) {
  // The first position whose entry does not go before the new one.
  auto at = std::lower_bound(items_.begin(), items_.end(), entry, [this](const TZipHeaderInfo* a, const TZipHeaderInfo* b) {
    return CompareEntries(mode_, *a, *b) < 0;
  });
  if (at != items_.end() && CompareEntries(mode_, **at, *entry) == 0) {
    if (duplicates_ == TDuplicates::dupError) throw EListError(kMsgDuplicate);
    if (duplicates_ == TDuplicates::dupIgnore) {
      if (ownsObjects_) delete entry;
      return false;
    }
  }
  items_.insert(at, entry);
  if (entry->zip64) isZip64_ = true;
  return true;
}

void TSortedZip::AddAll(const std::vector<TZipHeaderInfo*>& entries) {
  // Merge the existing items (order 0) with the new ones (order 1 + their index), sorted by rank;
  // ties follow the insertion rules: after older entries in never-equal modes, before the first
  // equal one otherwise.
  std::vector<std::pair<TZipHeaderInfo*, size_t>> all;
  all.reserve(items_.size() + entries.size());
  for (TZipHeaderInfo* e : items_) all.emplace_back(e, 0);
  for (size_t i = 0; i < entries.size(); ++i) all.emplace_back(entries[i], i + 1);
  std::stable_sort(all.begin(), all.end(), [this](const auto& x, const auto& y) {
    bool neverEqual;
    const int r = Rank(mode_, *x.first, *y.first, neverEqual);
    if (r != 0) return r < 0;
    return neverEqual ? x.second < y.second : x.second > y.second;
  });
  std::vector<TZipHeaderInfo*> merged;
  merged.reserve(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    TZipHeaderInfo* e = all[i].first;
    if (duplicates_ != TDuplicates::dupAccept && !merged.empty() && CompareEntries(mode_, *merged.back(), *e) == 0) {
      if (duplicates_ == TDuplicates::dupError) throw EListError(kMsgDuplicate);
      // Keep the entry that came first.
      if (all[i].second < all[i - 1].second) std::swap(merged.back(), e);
      if (ownsObjects_) delete e;
      continue;
    }
    merged.push_back(e);
  }
  items_.swap(merged);
  for (TZipHeaderInfo* e : items_) {
    if (e->zip64) isZip64_ = true;
  }
}

void TSortedZip::Put(int, TZipHeaderInfo*) { throw EListError(kMsgPutInSorted); }

TZipHeaderInfo* TSortedZip::Item(int index) const {
  if (index < 0 || index >= Count()) throw IndexOutOfRange(index);
  return items_[size_t(index)];
}

}  // namespace velmora::zip
