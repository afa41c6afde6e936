// The setup program's process and user-interface thread set-up.
#include "app/SetupStart_win.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace velmora::app {

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

bool PrepareSetupProcess() {
  RestrictDllSearch();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

}  // namespace velmora::app
