// A helper of the wizard's fault tests under Wine, run beside the setup:
//   fault-helper hold FILE READY   opens FILE (creating it when missing) for reading and writing
//                                  without sharing, as a running program holds its own files,
//                                  then creates READY and keeps FILE open until it is ended
//   fault-helper message [aside]   waits for a message box and prints its texts on one line, in
//                                  the ANSI code page, its buttons' captions last in brackets;
//                                  with "aside" it first moves the box to the bottom left corner
//                                  of the screen, off the wizard centred above
//   fault-helper box               waits for a message box and prints its window handle
//   fault-helper gone HANDLE       waits until that box is closed, so that the next box looked at
//                                  is not one still on its way out
//   fault-helper tips              keeps every tooltip of the setup shown for as long as the pointer
//                                  stays (the longest delay a tooltip takes), so that it can be
//                                  looked at when it has settled
//   fault-helper contrast          sets the system colours of the High Contrast Black scheme for the
//                                  programs started from now on, and prints the colours it replaced
//                                  as "restore" arguments
//   fault-helper restore I=RGB...  sets those colours back
//   fault-helper changed           tells the wizard window that the high-contrast setting changed
//                                  (WM_SETTINGCHANGE), as the system tells every window when it is
//                                  turned on or off
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

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

// The box's texts of one class, joined by spaces: its message (the icon's static has none) or its
// buttons' captions.
struct Texts {
  const char* className;
  std::string joined;
};
BOOL CALLBACK CollectText(HWND control, LPARAM result) {
  Texts& texts = *reinterpret_cast<Texts*>(result);
  char text[1024];
  if (IsClass(control, texts.className) && IsWindowVisible(control) && GetWindowTextA(control, text, sizeof text) > 0) {
    if (!texts.joined.empty()) texts.joined += ' ';
    texts.joined += text;
  }
  return TRUE;
}

// The box appears once the setup has met the fault; a person would wait for it too.
HWND WaitForMessageBox() {
  HWND box = nullptr;
  for (int i = 0; i < 600 && box == nullptr; ++i) {
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) Sleep(100);
  }
  if (box == nullptr) std::fprintf(stderr, "no message box appeared\n");
  return box;
}

int Box() {
  HWND box = WaitForMessageBox();
  if (box == nullptr) return 1;
  std::printf("%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(box)));
  return 0;
}

int Gone(const char* handle) {
  HWND box = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(handle, nullptr, 16)));
  for (int i = 0; i < 600; ++i) {
    if (!IsWindow(box) || !IsWindowVisible(box)) return 0;
    Sleep(100);
  }
  std::fprintf(stderr, "the message box %s is still there\n", handle);
  return 1;
}

BOOL CALLBACK HoldTip(HWND window, LPARAM) {
  if (IsClass(window, "tooltips_class32")) SendMessageA(window, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(32767, 0));
  return TRUE;
}

int Tips() {
  EnumWindows(HoldTip, 0);
  return 0;
}

int Message(bool aside) {
  HWND box = WaitForMessageBox();
  if (box == nullptr) return 1;
  if (aside) {
    RECT work, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(box, &rect);
    SetWindowPos(box, nullptr, work.left, work.bottom - (rect.bottom - rect.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Texts message{"Static", {}}, buttons{"Button", {}};
  EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&message));
  EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&buttons));
  std::string text = message.joined + " [" + buttons.joined + "]";
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  std::printf("%s\n", text.c_str());
  return 0;
}

}  // namespace

// The elements a high-contrast scheme sets, with High Contrast Black's colours.
constexpr struct {
  int element;
  COLORREF colour;
} kHighContrastBlack[] = {
    {COLOR_WINDOW, RGB(0, 0, 0)},          {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
    {COLOR_BTNFACE, RGB(0, 0, 0)},         {COLOR_BTNTEXT, RGB(255, 255, 255)},
    {COLOR_HIGHLIGHT, RGB(26, 235, 255)},  {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
    {COLOR_GRAYTEXT, RGB(63, 242, 63)},    {COLOR_BTNSHADOW, RGB(255, 255, 255)},
    {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
};

int Contrast() {
  int elements[std::size(kHighContrastBlack)];
  COLORREF colours[std::size(kHighContrastBlack)];
  for (size_t i = 0; i < std::size(kHighContrastBlack); ++i) {
    elements[i] = kHighContrastBlack[i].element;
    colours[i] = kHighContrastBlack[i].colour;
    std::printf("%s%d=%06lx", i > 0 ? " " : "", elements[i], static_cast<unsigned long>(GetSysColor(elements[i])));
  }
  std::printf("\n");
  return SetSysColors(int(std::size(elements)), elements, colours) ? 0 : 1;
}

int Restore(int count, char** arguments) {
  std::vector<int> elements;
  std::vector<COLORREF> colours;
  for (int i = 0; i < count; ++i) {
    unsigned long colour = 0;
    int element = 0;
    if (std::sscanf(arguments[i], "%d=%lx", &element, &colour) != 2) return 2;
    elements.push_back(element);
    colours.push_back(COLORREF(colour));
  }
  return SetSysColors(int(elements.size()), elements.data(), colours.data()) ? 0 : 1;
}

int Changed() {
  HWND wizard = FindWindowA("TfrmKestrinSetupMain", nullptr);
  if (wizard == nullptr) {
    std::fprintf(stderr, "no wizard window\n");
    return 1;
  }
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(wizard, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "message") == 0) return Message(false);
  if (argc == 2 && std::strcmp(argv[1], "box") == 0) return Box();
  if (argc == 3 && std::strcmp(argv[1], "gone") == 0) return Gone(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "tips") == 0) return Tips();
  if (argc == 2 && std::strcmp(argv[1], "contrast") == 0) return Contrast();
  if (argc == 2 && std::strcmp(argv[1], "changed") == 0) return Changed();
  if (argc >= 3 && std::strcmp(argv[1], "restore") == 0) return Restore(argc - 2, argv + 2);
  if (argc == 3 && std::strcmp(argv[1], "message") == 0 && std::strcmp(argv[2], "aside") == 0) return Message(true);
  std::fprintf(stderr, "usage: fault-helper hold FILE READY | message [aside] | box | gone HANDLE | tips | contrast | restore I=RGB... | changed\n");
  return 2;
}
