// The stand-in data-access library. Registration only records itself in the user's registry so
// that a test can see the setup registered it (regsvr32 calls these two entry points). midas.def
// exports them under their plain names, as regsvr32 looks them up.
#include <windows.h>
#include <olectl.h>

namespace {
const char kKey[] = "Software\\VelmoraDemo\\midas";
const char kValue[] = "Registered";
}  // namespace

extern "C" HRESULT WINAPI DllRegisterServer() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  const BYTE data[] = "1";
  LONG status = RegSetValueExA(key, kValue, 0, REG_SZ, data, sizeof data);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return S_OK;
  LONG status = RegDeleteValueA(key, kValue);
  RegCloseKey(key);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
