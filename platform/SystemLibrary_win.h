// Functions of libraries outside the set the system always maps from its own folder, loaded by
// their full path in the system folder so that no copy beside the setup can stand in for them.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::platform {

// Full path of a library in the system folder; empty when the folder is unknown.
inline std::string SystemLibraryPath(const char* library) {
  char folder[MAX_PATH];
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  // The last character is found by characters: a code page 936 trail byte may be 0x5C.
  std::string path(folder, n);
  const char* last = CharPrevA(folder, folder + n);
  if (!(last == folder + n - 1 && *last == '\\')) path += '\\';
  return path + library;
}

// An export of a library of the system folder, loaded there by its full path (its own
// dependencies are searched from that folder too); null when either is missing. The library stays
// loaded for the rest of the process.
template <typename Function>
Function SystemLibraryFunction(const char* library, const char* function) {
  const std::string path = SystemLibraryPath(library);
  if (path.empty()) return nullptr;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return nullptr;
  FARPROC address = GetProcAddress(module, function);
  if (address == nullptr) {
    FreeLibrary(module);
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace velmora::platform
