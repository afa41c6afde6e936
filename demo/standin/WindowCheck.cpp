// Check program for the stand-in GUI programs: starts one, waits for its top-level window of the
// given class, checks that the window becomes visible and that its title contains the given text,
// lists the texts of its child windows (a message box's message), then closes it with WM_CLOSE and
// expects the program to end.
//   WindowCheck.exe CLASS TITLE_PART EXE [ARG]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Search {
  const char* className;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  char cls[256];
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid == search->pid && IsWindowVisible(wnd) && GetClassNameA(wnd, cls, sizeof cls) &&
      std::strcmp(cls, search->className) == 0) {
    search->found = wnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintChild(HWND wnd, LPARAM) {
  char text[512] = "";
  if (GetWindowTextA(wnd, text, sizeof text) > 0) std::printf("  child: \"%s\"\n", text);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: WindowCheck CLASS TITLE_PART EXE [ARG]\n");
    return 2;
  }
  std::string cmd = "\"" + std::string(argv[3]) + "\"";
  if (argc == 5) cmd += " " + std::string(argv[4]);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "FAIL cannot start %s (error %lu)\n", argv[3], GetLastError());
    return 1;
  }
  CloseHandle(pi.hThread);

  Search search = {argv[1], pi.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !search.found; ++i) {
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(100);
  }
  int status = 0;
  if (!search.found) {
    std::fprintf(stderr, "FAIL no visible window of class %s within 20 s\n", argv[1]);
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return 1;
  }
  char title[256] = "";
  GetWindowTextA(search.found, title, sizeof title);
  std::printf("window of class %s: \"%s\"\n", argv[1], title);
  if (!std::strstr(title, argv[2])) {
    std::fprintf(stderr, "FAIL title lacks \"%s\"\n", argv[2]);
    status = 1;
  }
  EnumChildWindows(search.found, PrintChild, 0);

  PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "FAIL program still running after WM_CLOSE\n");
    TerminateProcess(pi.hProcess, 1);
    status = 1;
  }
  CloseHandle(pi.hProcess);
  if (status == 0) std::printf("OK shown and closed\n");
  return status;
}
