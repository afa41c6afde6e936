// Code-page services: the OEM and ANSI code pages of the system (both 936 on the setup's target
// systems, and on the POSIX side), and UTF-8. Results are byte strings.
#pragma once

#include <string>

namespace velmora::sys {

// Whether the byte starts a two-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char c);
// OEM → ANSI and back; false when the system cannot map the text.
bool OemToAnsi(const std::string& oem, std::string& ansi);
bool AnsiToOem(const std::string& ansi, std::string& oem);
// Valid UTF-8 → ANSI; characters the code page lacks become "?".
std::string Utf8ToAnsi(const std::string& utf8);
// Valid UTF-8 → ANSI only when every character exists in the code page and converts back to itself.
bool Utf8ToAnsiStrict(const std::string& utf8, std::string& ansi);
// ANSI → UTF-8, for showing text on a UTF-8 terminal; undecodable bytes become "?".
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace velmora::sys
