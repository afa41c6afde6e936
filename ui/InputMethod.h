// The personal-folder edit's input method: on a system with a Chinese, Japanese or Korean locale the
// edit asks for a named input method while it has the focus. OS-independent choice; the Win32 window
// reads the installed layouts and activates the one chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::ui {

// The input method the edit carries.
extern const char* const kUserpathInputMethod;

// Whether a primary language identifier is Chinese (0x04), Japanese (0x11) or Korean (0x12).
bool IsCjkLanguage(unsigned primaryLanguage);

// The installed layout (by index into `installed`, the layouts' input-method names, empty for plain
// keyboard layouts) to activate when the edit receives the focus; nothing when the layout stays as
// it is: a locale that is not CJK, or a wanted name equal to the default input method's. When the
// wanted one is not installed, the default layout (`defaultIndex`) is the one.
std::optional<size_t> LayoutOnFocus(bool cjkLocale, const std::string& wanted, const std::vector<std::string>& installed,
                                    size_t defaultIndex);

}  // namespace velmora::ui
