// The stand-in desktop client: one top-level window that stays until it is closed. The setup
// launches it after installing and looks for its windows by class, so the class names and titles
// are those of the real client's main, login and welcome forms.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Form {
  const char* option;     // command-line argument that selects the form, nullptr for the default
  const char* className;
  const char* title;
};

const Form kForms[] = {
    {"--login", "TDeskLoginForm", "Velmora 登录"},
    {"--welcome", "TDeskWelcomeForm", "DeskWelcome"},
    {nullptr, "TDeskMainForm", "Velmora 客户端"},
};

LRESULT CALLBACK FormProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

const Form& ChooseForm() {
  const Form* chosen = &kForms[sizeof kForms / sizeof kForms[0] - 1];
  if (__argc >= 2) {
    for (const Form& form : kForms)
      if (form.option && std::strcmp(__argv[1], form.option) == 0) chosen = &form;
  }
  return *chosen;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  const Form& form = ChooseForm();

  WNDCLASSA wc = {};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = form.className;
  if (!RegisterClassA(&wc)) return 1;

  HWND wnd = CreateWindowExA(0, form.className, form.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
  if (!wnd) return 1;
  ShowWindow(wnd, show);
  UpdateWindow(wnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
