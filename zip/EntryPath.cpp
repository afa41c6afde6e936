// What an archive entry's stored name becomes below the destination folder. OS-independent.
#include "zip/EntryPath.h"

#include <cstring>
#include <vector>

#include "platform/SysText.h"
#include "zip/AnsiText.h"

namespace velmora::zip {

namespace {

bool IsLead(const std::string& text, size_t i) {
  return sys::IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t SkipSeparators(const std::string& path, size_t i) {
  while (i < path.size() && IsSeparator(path[i])) ++i;
  return i;
}

// The end of the component at i: the next separator that is a character of its own, or the end.
size_t ComponentEnd(const std::string& path, size_t i) {
  for (; i < path.size() && !IsSeparator(path[i]); ++i) {
    if (IsLead(path, i)) ++i;
  }
  return i;
}

bool EndsWithSeparator(const std::string& path) {
  bool separator = false;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLead(path, i)) {
      ++i;
      separator = false;
    } else {
      separator = IsSeparator(path[i]);
    }
  }
  return separator;
}

// Windows opens a device for these names, whatever follows the first "." and with trailing spaces
// before it ignored: "nul.txt" and "Com1 .log" are devices too.
bool IsDeviceName(const std::string& component) {
  std::string base = component.substr(0, component.find('.'));  // "." is never a trail byte
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');  // a non-ASCII base matches no name anyway
  }
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) && base[3] >= '0' &&
         base[3] <= '9';
}

// Characters the Windows file system refuses in a name; ":" would also name an alternate data
// stream of the file before it. All are below 0x40, so never a trail byte.
bool HasForbiddenCharacter(const std::string& component) {
  for (size_t i = 0; i < component.size(); ++i) {
    if (IsLead(component, i)) {
      ++i;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(component[i]);
    if (c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) return true;
  }
  return false;
}

}  // namespace

std::vector<size_t> PrefixEnds(const std::string& relative) {
  std::vector<size_t> ends;
  for (size_t i = 0; i < relative.size(); ++i) {
    if (IsLead(relative, i)) {
      ++i;
    } else if (relative[i] == '\\') {
      ends.push_back(i);
    }
  }
  if (!relative.empty() && (ends.empty() || ends.back() != relative.size() - 1)) ends.push_back(relative.size());
  return ends;
}

std::optional<std::string> PathBelowDestDir(const std::string& stored) {
  // A root or a drive is dropped rather than refused: the engine has always put "\x" and "C:\x"
  // below DestDir, and archives made from absolute paths rely on it. A UNC name keeps its server
  // and share as folders, so that the same path on two shares gives two files. The same holds on
  // the host, so both systems write the same files.
  size_t i = 0;
  if (stored.size() >= 2 && IsSeparator(stored[0]) && IsSeparator(stored[1])) {
    // "\\?\" and "\\.\" name the local machine's own namespace: a drive path follows them, or
    // "UNC\server\share\", another spelling of "\\server\share\". Any other server and share are
    // left to the loop below.
    const size_t start = SkipSeparators(stored, 0);
    const size_t end = ComponentEnd(stored, start);
    const std::string head = stored.substr(start, end - start);
    if (head == "?" || head == ".") {
      i = SkipSeparators(stored, end);
      const size_t next = ComponentEnd(stored, i);
      if (FoldNameCase(stored.substr(i, next - i)) == "unc") i = next;
    }
  }
  if (stored.size() >= i + 2 && stored[i + 1] == ':' &&
      ((stored[i] >= 'A' && stored[i] <= 'Z') || (stored[i] >= 'a' && stored[i] <= 'z'))) {
    i += 2;
  }

  std::string relative;
  while ((i = SkipSeparators(stored, i)) < stored.size()) {
    const size_t end = ComponentEnd(stored, i);
    const std::string component = stored.substr(i, end - i);
    i = end;
    if (component == ".") {
      if (end == stored.size()) return std::nullopt;  // a file named "." is the folder itself
      continue;                                       // "this folder"
    }
    // ".." would climb out of DestDir; a device name reaches the device; Windows drops a trailing
    // "." or " " and so writes another name than the archive's.
    if (component == ".." || IsDeviceName(component) || HasForbiddenCharacter(component) ||
        component.back() == '.' || component.back() == ' ') {
      return std::nullopt;
    }
    relative += component;
    relative += '\\';
  }
  if (!stored.empty() && !EndsWithSeparator(stored)) {
    if (relative.empty()) return std::nullopt;  // the file name was all prefix
    relative.pop_back();
  }
  return relative;
}

void TMadeNames::Respell(std::string& relative) const {
  if (!respells_) return;
  for (size_t end : PrefixEnds(relative)) {
    const auto found = spellings_.find(FoldNameCase(relative.substr(0, end)));
    // Folding keeps the length, so the earlier spelling takes exactly the prefix's place.
    if (found != spellings_.end()) relative.replace(0, end, found->second);
  }
}

void TMadeNames::Remember(const std::string& relative) {
  if (!respells_) return;
  for (size_t end : PrefixEnds(relative)) {
    const std::string prefix = relative.substr(0, end);
    spellings_.emplace(FoldNameCase(prefix), prefix);
  }
}

}  // namespace velmora::zip
