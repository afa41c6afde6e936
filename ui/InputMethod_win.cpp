// The input-method switch: installed layouts and their input-method names come from the system;
// imm32 is loaded from the system folder by its full path.
#include "ui/InputMethod_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/SystemLibrary_win.h"
#include "ui/InputMethod.h"

namespace velmora::ui {
namespace {

constexpr UINT_PTR kSubclassId = 0x494D4531;  // 'IME1'

using IsImeFunction = BOOL(WINAPI*)(HKL);
using DescriptionFunction = UINT(WINAPI*)(HKL, LPSTR, UINT);

struct Switch {
  std::string name;
  HKL defaultLayout = nullptr;
  bool switched = false;
};

// The input-method name of a layout, empty for a plain keyboard layout.
std::string InputMethodName(HKL layout) {
  static const auto isIme = platform::SystemLibraryFunction<IsImeFunction>("imm32.dll", "ImmIsIME");
  static const auto describe = platform::SystemLibraryFunction<DescriptionFunction>("imm32.dll", "ImmGetDescriptionA");
  if (isIme == nullptr || describe == nullptr || !isIme(layout)) return std::string();
  char text[256] = {};
  const UINT n = describe(layout, text, sizeof text);
  return std::string(text, n < sizeof text ? n : 0);
}

void FocusGained(Switch& s) {
  const bool cjk = IsCjkLanguage(PRIMARYLANGID(LANGIDFROMLCID(GetSystemDefaultLCID())));
  if (!cjk) return;
  HKL defaultLayout = nullptr;
  SystemParametersInfoA(SPI_GETDEFAULTINPUTLANG, 0, &defaultLayout, 0);
  const int count = GetKeyboardLayoutList(0, nullptr);
  std::vector<HKL> layouts(count > 0 ? size_t(count) : 0);
  if (!layouts.empty()) layouts.resize(size_t(GetKeyboardLayoutList(count, layouts.data())));
  std::vector<std::string> names;
  size_t defaultIndex = layouts.size();
  for (size_t i = 0; i < layouts.size(); ++i) {
    names.push_back(InputMethodName(layouts[i]));
    if (layouts[i] == defaultLayout) defaultIndex = i;
  }
  const auto chosen = LayoutOnFocus(cjk, s.name, names, defaultIndex);
  if (!chosen) return;
  s.defaultLayout = defaultLayout;
  s.switched = ActivateKeyboardLayout(layouts[*chosen], 0) != nullptr;
}

LRESULT CALLBACK SwitchProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  Switch& s = *reinterpret_cast<Switch*>(data);
  switch (message) {
    case WM_SETFOCUS:
      FocusGained(s);
      break;
    case WM_KILLFOCUS:
      if (s.switched && s.defaultLayout != nullptr) ActivateKeyboardLayout(s.defaultLayout, 0);
      s.switched = false;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, SwitchProc, kSubclassId);
      delete &s;
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void AttachInputMethod(HWND edit, const char* name) {
  auto* s = new Switch{name};
  if (!SetWindowSubclass(edit, SwitchProc, kSubclassId, reinterpret_cast<DWORD_PTR>(s))) delete s;
}

}  // namespace velmora::ui
