// Access keys: a caption's "&" marks the character after it ("&&" draws one "&" and marks nothing).
// Neither code page 936 nor UTF-8 uses the byte of "&" inside a multi-byte character, so captions
// are scanned byte by byte.
#pragma once

#include <string>

namespace velmora::ui {

// The key a caption marks, upper-cased (ASCII letters only change); 0 when it marks none.
char AccessKeyOf(const std::string& caption);
// Whether a typed character is the caption's access key, ASCII letters compared case-insensitively.
bool IsAccessKey(const std::string& caption, int typed);

}  // namespace velmora::ui
