// Console check program for Windows: reads the running wizard window through the system's
// accessibility interface, as a screen reader does, from another process. Texts are printed in
// UTF-8 for the test scripts.
//   access-check tree              the client object and its descendants, one line each:
//                                  depth|role|name|value|states|shortcut|default action|left,top,width,height
//                                  (a page's line also ends with |description)
//   access-check do NAME           the default action of the child whose name is NAME (UTF-8)
//   access-check across NAME UNTIL holds one client object: walks it, asks for NAME's default
//                                  action, walks the same object again until a child is named
//                                  UNTIL (a minute at most) and prints that tree, as a screen
//                                  reader that keeps the window's object does
//   access-check events READY STOP the name, value, state, focus, reorder and live-region events
//                                  of the wizard's objects, event|role|name|value|states, from the moment
//                                  it creates the file READY until the file STOP exists
// Exit code 0 on success, 1 when the window or the child is not there, 2 on a usage error.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr const char* kWizardClass = "TfrmKestrinSetupMain";
constexpr DWORD kEventLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED

std::string Utf8(const wchar_t* text, int length) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string result(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), n, nullptr, nullptr);
  return result;
}

// A text of the interface on one line: line breaks are written as "\n".
std::string Utf8(BSTR text) {
  if (text == nullptr) return "";
  const std::string utf8 = Utf8(text, int(SysStringLen(text)));
  SysFreeString(text);
  std::string result;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    if (utf8[i] == '\r' || utf8[i] == '\n') {
      result += "\\n";
    } else {
      result += utf8[i];
    }
  }
  return result;
}

// The NAME argument in UTF-8, as the test scripts write it: main's own arguments are in the ANSI
// code page.
std::string Argument(int index) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string result = index < count ? Utf8(arguments[index], int(wcslen(arguments[index]))) : "";
  LocalFree(arguments);
  return result;
}

VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::string StateNames(long state) {
  static const std::pair<long, const char*> names[] = {
      {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_FOCUSED, "focused"}, {STATE_SYSTEM_PRESSED, "pressed"},
      {STATE_SYSTEM_CHECKED, "checked"},         {STATE_SYSTEM_MIXED, "mixed"},     {STATE_SYSTEM_READONLY, "readonly"},
      {STATE_SYSTEM_INVISIBLE, "invisible"},     {STATE_SYSTEM_FOCUSABLE, "focusable"},
  };
  std::string text;
  for (const auto& [bit, name] : names) {
    if ((state & bit) == 0) continue;
    if (!text.empty()) text += ",";
    text += name;
  }
  return text;
}

std::string RoleName(long role) {
  switch (role) {
    case ROLE_SYSTEM_CLIENT: return "client";
    case ROLE_SYSTEM_DIALOG: return "dialog";
    case ROLE_SYSTEM_GRAPHIC: return "graphic";
    case ROLE_SYSTEM_STATICTEXT: return "text";
    case ROLE_SYSTEM_TEXT: return "edit";
    case ROLE_SYSTEM_PUSHBUTTON: return "button";
    case ROLE_SYSTEM_CHECKBUTTON: return "checkbox";
    case ROLE_SYSTEM_RADIOBUTTON: return "radio";
    case ROLE_SYSTEM_PROGRESSBAR: return "progressbar";
    default: return "role" + std::to_string(role);
  }
}

// One object (a child id of `object`) as a line of the tree; an object with a description (a
// page's instruction line) has it as a last field.
std::string Line(IAccessible* object, long id) {
  VARIANT child = Child(id), role, state;
  VariantInit(&role);
  VariantInit(&state);
  BSTR name = nullptr, value = nullptr, shortcut = nullptr, action = nullptr, description = nullptr;
  object->get_accRole(child, &role);
  object->get_accState(child, &state);
  object->get_accName(child, &name);
  object->get_accValue(child, &value);
  object->get_accKeyboardShortcut(child, &shortcut);
  object->get_accDefaultAction(child, &action);
  object->get_accDescription(child, &description);
  long left = 0, top = 0, width = 0, height = 0;
  object->accLocation(&left, &top, &width, &height, child);
  std::string line = RoleName(role.vt == VT_I4 ? role.lVal : -1) + "|" + Utf8(name) + "|" + Utf8(value) + "|" +
                     StateNames(state.vt == VT_I4 ? state.lVal : 0) + "|" + Utf8(shortcut) + "|" + Utf8(action) + "|" +
                     std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) + "," +
                     std::to_string(height);
  const std::string described = Utf8(description);
  if (!described.empty()) line += "|" + described;
  return line;
}

// Calls visit(object, id, line) for `object` and every descendant, in the order listed, walked as
// screen readers walk it (AccessibleChildren); a child that is a window of its own (a page, a
// control) is read through its own object, and its children after it.
template <typename Visit>
void Walk(IAccessible* object, Visit visit, int depth = 0) {
  if (depth == 0) visit(object, CHILDID_SELF, "0|" + Line(object, CHILDID_SELF));
  long count = 0;
  object->get_accChildCount(&count);
  if (count <= 0) return;
  VARIANT* children = new VARIANT[size_t(count)];
  long got = 0;
  const std::string prefix = std::to_string(depth + 1) + "|";
  if (SUCCEEDED(AccessibleChildren(object, 0, count, children, &got))) {
    for (long i = 0; i < got; ++i) {
      VARIANT& child = children[i];
      IAccessible* own = nullptr;
      if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
        child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&own));
      }
      if (own != nullptr) {
        visit(own, CHILDID_SELF, prefix + Line(own, CHILDID_SELF));
        if (depth < 4) Walk(own, visit, depth + 1);
        own->Release();
      } else if (child.vt == VT_I4) {
        visit(object, child.lVal, prefix + Line(object, child.lVal));
      }
      VariantClear(&child);
    }
  }
  delete[] children;
}

IAccessible* WizardClient() {
  HWND wizard = FindWindowA(kWizardClass, nullptr);
  if (wizard == nullptr) {
    std::fprintf(stderr, "access-check: no wizard window\n");
    return nullptr;
  }
  IAccessible* client = nullptr;
  const HRESULT result =
      AccessibleObjectFromWindow(wizard, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&client));
  if (client == nullptr) std::fprintf(stderr, "access-check: the wizard window has no object (0x%08lx)\n", long(result));
  return client;
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  const char* name = event == EVENT_OBJECT_NAMECHANGE    ? "name"
                     : event == EVENT_OBJECT_VALUECHANGE ? "value"
                     : event == EVENT_OBJECT_STATECHANGE ? "state"
                     : event == EVENT_OBJECT_FOCUS       ? "focus"
                     : event == EVENT_OBJECT_REORDER     ? "reorder"
                     : event == kEventLiveRegionChanged  ? "live"
                                                         : nullptr;
  if (name == nullptr || object != OBJID_CLIENT) return;
  // Only the wizard's window and its children.
  HWND wizard = FindWindowA(kWizardClass, nullptr);
  if (wizard == nullptr || (window != wizard && GetAncestor(window, GA_ROOT) != wizard)) return;
  IAccessible* source = nullptr;
  VARIANT id;
  VariantInit(&id);
  if (AccessibleObjectFromEvent(window, DWORD(object), DWORD(child), &source, &id) != S_OK || source == nullptr) return;
  std::printf("%s|%s\n", name, Line(source, id.vt == VT_I4 ? id.lVal : CHILDID_SELF).c_str());
  std::fflush(stdout);
  source->Release();
}

// Lets `ms` milliseconds pass while this thread's messages (and so the event hook) are handled.
void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (GetTickCount() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

bool Exists(const char* file) { return GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: access-check tree | do NAME | across NAME UNTIL | events READY STOP\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string command = argv[1];
  if (command == "events" && argc == 4) {
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_REORDER, kEventLiveRegionChanged, nullptr, OnEvent, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    // The hook is in place: the script may act now. It says when it has seen what it waits for.
    CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    while (!Exists(argv[3])) Pump(100);
    UnhookWinEvent(hook);
    return 0;
  }
  IAccessible* client = WizardClient();
  if (client == nullptr) return 1;
  int status = 0;
  if (command == "tree" && argc == 2) {
    Walk(client, [](IAccessible*, long, const std::string& line) { std::printf("%s\n", line.c_str()); });
  } else if (command == "do" && argc == 3) {
    status = 1;
    const std::string name = Argument(2);
    const std::string wanted = "|" + name + "|";
    Walk(client, [&](IAccessible* object, long id, const std::string& line) {
      // The name is the third field: depth|role|name|...
      const size_t second = line.find('|', line.find('|') + 1);
      if (status == 0 || line.compare(second, wanted.size(), wanted) != 0) return;
      status = object->accDoDefaultAction(Child(id)) == S_OK ? 0 : 1;
    });
    if (status != 0) std::fprintf(stderr, "access-check: no default action for %s\n", name.c_str());
  } else if (command == "across" && argc == 4) {
    status = 1;
    const std::string wanted = "|" + Argument(2) + "|";
    Walk(client, [&](IAccessible* object, long id, const std::string& line) {
      const size_t second = line.find('|', line.find('|') + 1);
      if (status == 0 || line.compare(second, wanted.size(), wanted) != 0) return;
      status = object->accDoDefaultAction(Child(id)) == S_OK ? 0 : 1;
    });
    // The page changes in the wizard's own time (a timer runs the environment check first).
    const std::string until = "|" + Argument(3) + "|";
    std::string tree;
    for (int i = 0; i < 300 && tree.find(until) == std::string::npos; ++i) {
      if (i > 0) Pump(200);
      tree.clear();
      Walk(client, [&](IAccessible*, long, const std::string& line) { tree += line + "\n"; });
    }
    std::fputs(tree.c_str(), stdout);
  } else {
    std::fprintf(stderr, "usage: access-check tree | do NAME | across NAME UNTIL | events READY STOP\n");
    status = 2;
  }
  client->Release();
  return status;
}
