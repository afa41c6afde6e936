// Check program for Remover.exe: gives it the handle of a message-only window, as the setup does,
// and waits for its "removal finished" message.
//   ReceiverCheck.exe REMOVER_EXE
// Exit status 0 only if the message (WM_USER + 350, WParam 100021, LParam 0) arrived within 20 s
// and Remover.exe ended with status 0.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const UINT kRemoverDone = WM_USER + 350;
const WPARAM kRemoverDoneCode = 100021;
bool g_arrived = false;

LRESULT CALLBACK ReceiverProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kRemoverDone) {
    std::printf("received 0x%X wParam=%u lParam=%ld\n", msg, static_cast<unsigned>(wParam),
                static_cast<long>(lParam));
    if (wParam == kRemoverDoneCode && lParam == 0) g_arrived = true;
    return 0;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ReceiverCheck REMOVER_EXE\n");
    return 2;
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ReceiverProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VelmoraRemoverReceiver";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
  if (!wnd) {
    std::fprintf(stderr, "FAIL cannot create the receiving window\n");
    return 1;
  }

  std::string cmd = "\"" + std::string(argv[1]) + "\" " +
                    std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(wnd)));
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "FAIL cannot start %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  CloseHandle(pi.hThread);

  const DWORD deadline = GetTickCount() + 20000;
  while (!g_arrived) {
    DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  if (!g_arrived) {
    std::fprintf(stderr, "FAIL no message from the remover within 20 s\n");
    return 1;
  }
  if (code != 0) {
    std::fprintf(stderr, "FAIL remover exit status %lu\n", code);
    return 1;
  }
  std::printf("OK remover finished and notified the window\n");
  return 0;
}
