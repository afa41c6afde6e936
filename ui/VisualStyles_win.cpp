// Visual styles through the theme library, loaded from the system folder by its full path.
#include "ui/VisualStyles_win.h"

#include "platform/SystemLibrary_win.h"

namespace velmora::ui {
namespace {

using HTHEME_ = HANDLE;
using BoolFunction = BOOL(WINAPI*)();
using OpenFunction = HTHEME_(WINAPI*)(HWND, LPCWSTR);
using CloseFunction = HRESULT(WINAPI*)(HTHEME_);
using DrawFunction = HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, const RECT*);

constexpr const char* kThemeLibrary = "uxtheme.dll";

}  // namespace

bool VisualStylesActive() {
  static const auto isAppThemed = platform::SystemLibraryFunction<BoolFunction>(kThemeLibrary, "IsAppThemed");
  static const auto isThemeActive = platform::SystemLibraryFunction<BoolFunction>(kThemeLibrary, "IsThemeActive");
  return isAppThemed != nullptr && isThemeActive != nullptr && isAppThemed() && isThemeActive();
}

bool DrawThemedButtonPart(HWND window, HDC dc, int part, int state, const RECT& box) {
  static const auto open = platform::SystemLibraryFunction<OpenFunction>(kThemeLibrary, "OpenThemeData");
  static const auto close = platform::SystemLibraryFunction<CloseFunction>(kThemeLibrary, "CloseThemeData");
  static const auto draw = platform::SystemLibraryFunction<DrawFunction>(kThemeLibrary, "DrawThemeBackground");
  if (open == nullptr || close == nullptr || draw == nullptr) return false;
  HTHEME_ theme = open(window, L"BUTTON");
  if (theme == nullptr) return false;
  const bool drawn = SUCCEEDED(draw(theme, dc, part, state, &box, nullptr));
  close(theme);
  return drawn;
}

}  // namespace velmora::ui
