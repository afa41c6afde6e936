// Text helpers for names and paths in the ANSI code page. OS-independent.
#include "zip/AnsiText.h"

#include "platform/SysText.h"

namespace velmora::zip {

size_t LastDelimiter(const std::string& text, char delimiter) {
  size_t found = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (sys::IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;  // skip the trail byte
    } else if (text[i] == delimiter) {
      found = i;
    }
  }
  return found;
}

std::string ExtractFilePath(const std::string& path) {
  const size_t i = LastDelimiter(path, '\\');
  return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string ExtractFileName(const std::string& path) {
  const size_t i = LastDelimiter(path, '\\');
  return i == std::string::npos ? path : path.substr(i + 1);
}

size_t FileNameStart(const std::string& path) {
  // "/" is never a trail byte in code page 936, "\\" may be.
  const size_t backslash = LastDelimiter(path, '\\');
  const size_t slash = path.rfind('/');
  size_t start = 0;
  if (backslash != std::string::npos) start = backslash + 1;
  if (slash != std::string::npos && slash + 1 > start) start = slash + 1;
  return start;
}

size_t ExtensionStart(const std::string& path) {
  const size_t dot = path.rfind('.');  // never a trail byte either
  return dot != std::string::npos && dot >= FileNameStart(path) ? dot : std::string::npos;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

std::string FoldNameCase(std::string name) {
  for (size_t i = 0; i < name.size(); ++i) {
    if (sys::IsAnsiLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      ++i;
    } else if (name[i] >= 'A' && name[i] <= 'Z') {
      name[i] = char(name[i] - 'A' + 'a');
    }
  }
  return name;
}

bool SameTextAscii(const std::string& a, const std::string& b) { return LowerAscii(a) == LowerAscii(b); }

bool IsValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t follow;
    if (c < 0x80) {
      follow = 0;
    } else if ((c & 0xE0) == 0xC0) {
      follow = 1;
    } else if ((c & 0xF0) == 0xE0) {
      follow = 2;
    } else if ((c & 0xF8) == 0xF0) {
      follow = 3;
    } else {
      return false;  // a continuation byte without lead, or no UTF-8 lead at all
    }
    for (size_t k = 1; k <= follow; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += follow + 1;
  }
  return true;
}

bool MatchesWildcard(const std::string& pattern, const std::string& text) {
  size_t p = 0, t = 0, starP = std::string::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace velmora::zip
