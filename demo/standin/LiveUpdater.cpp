// The stand-in updater: the product is always current, so it only says so.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Velmora 自动更新程序：已是最新版本。", "Velmora", MB_OK | MB_ICONINFORMATION);
  return 0;
}
