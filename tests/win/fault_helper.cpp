// A helper of the wizard's fault tests under Wine, run beside the setup:
//   fault-helper hold FILE READY   opens FILE (creating it when missing) for reading and writing
//                                  without sharing, as a running program holds its own files,
//                                  then creates READY and keeps FILE open until it is ended
//   fault-helper message [aside]   waits for a message box and prints its texts on one line, in
//                                  the ANSI code page; with "aside" it first moves the box to the
//                                  bottom left corner of the screen, off the wizard centred above
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Hold(const char* file, const char* ready) {
  HANDLE held = CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open %s (error %lu)\n", file, GetLastError());
    return 1;
  }
  HANDLE signal = CreateFileA(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (signal == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(signal);
  Sleep(INFINITE);
  return 0;
}

bool IsClass(HWND window, const char* name) {
  char found[32];
  return GetClassNameA(window, found, sizeof found) > 0 && std::strcmp(found, name) == 0;
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM result) {
  if (!IsWindowVisible(window) || !IsClass(window, "#32770")) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

// The box's static texts (its message; the icon's static has none), joined by spaces.
BOOL CALLBACK CollectText(HWND control, LPARAM result) {
  char text[1024];
  if (IsClass(control, "Static") && GetWindowTextA(control, text, sizeof text) > 0) {
    std::string& all = *reinterpret_cast<std::string*>(result);
    if (!all.empty()) all += ' ';
    all += text;
  }
  return TRUE;
}

int Message(bool aside) {
  HWND box = nullptr;
  // The box appears once the setup has met the fault; a person would wait for it too.
  for (int i = 0; i < 300 && box == nullptr; ++i) {
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) Sleep(100);
  }
  if (box == nullptr) {
    std::fprintf(stderr, "no message box appeared\n");
    return 1;
  }
  if (aside) {
    RECT work, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(box, &rect);
    SetWindowPos(box, nullptr, work.left, work.bottom - (rect.bottom - rect.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  std::string text;
  EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  std::printf("%s\n", text.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "message") == 0) return Message(false);
  if (argc == 3 && std::strcmp(argv[1], "message") == 0 && std::strcmp(argv[2], "aside") == 0) return Message(true);
  std::fprintf(stderr, "usage: fault-helper hold FILE READY | fault-helper message [aside]\n");
  return 2;
}
