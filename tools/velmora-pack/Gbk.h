// Conversions between the host's UTF-8 and the setup's code page 936 (GBK).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::pack {

// The GBK bytes of `utf8`, or nothing if it is not valid UTF-8 or holds a character GBK lacks.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
// UTF-8 text for GBK bytes, for showing on the terminal; undecodable bytes become '?'.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace velmora::pack
