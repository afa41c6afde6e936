// Text helpers for names and paths in the ANSI code page (936: two-byte characters whose second
// byte may be "\"), and the UTF-8 check of entry names. OS-independent.
#pragma once

#include <string>

namespace velmora::zip {

// Index of the last `delimiter` that is a character of its own (not a trail byte), or npos.
size_t LastDelimiter(const std::string& text, char delimiter);
// Up to and including the last "\", and the rest.
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);
// Where the path's file-name part starts: after its last "\" or "/" (the system takes either as a
// separator), or at 0.
size_t FileNameStart(const std::string& path);
// Where the extension of the path's file-name part starts: the index of that part's last ".", or
// npos when it has none. "my.backup.zip" gives the "." before "zip".
size_t ExtensionStart(const std::string& path);
// ASCII letters folded to lower case; other bytes unchanged.
std::string LowerAscii(std::string text);
// ASCII letters folded to lower case, except the trail bytes of two-byte characters, which may lie
// in A-Z: two names that fold alike are one name to a case-blind file system.
std::string FoldNameCase(std::string name);
bool SameTextAscii(const std::string& a, const std::string& b);
// Whether the bytes are well-formed UTF-8 (every lead byte followed by its 10xxxxxx continuations).
bool IsValidUtf8(const std::string& text);
// "*" any run, "?" any one character; the caller folds case.
bool MatchesWildcard(const std::string& pattern, const std::string& text);

}  // namespace velmora::zip
