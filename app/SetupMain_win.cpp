// Program entry of the setup: no DLL is taken from anywhere but the system folder, common controls
// are initialised, and the wizard window runs until the application terminates.
#include <windows.h>
#include <commctrl.h>

#include "app/ProductContract.h"
#include "platform/Win32Platform.h"
#include "ui/WizardWindow_win.h"

namespace {

// A downloaded setup sits in a folder anyone may have put DLLs into: load libraries only from the
// system folder. The call exists from Windows 8 on (and on 7 with its update); look it up.
void RestrictDllSearch() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto set = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (set != nullptr) set(kSearchSystem32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  velmora::platform::Win32Platform platform(velmora::app::kApplicationTitle);
  velmora::ui::Win32WizardWindow window(platform);
  return window.Run();
}
