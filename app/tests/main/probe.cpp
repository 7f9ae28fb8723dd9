// Looks at the reader's windows from another process, the way a person or an
// accessibility tool would, and prints what it finds as key=value lines.
//
//   probe windows                 visible top-level windows: class and title
//   probe main TITLE_PREFIX       the main window: title, client area, frame, style,
//                                 the class of the window with the keyboard focus,
//                                 visible child windows
//   probe dialogs                 visible dialog boxes: title, texts, buttons
//   probe press TITLE             presses the first button of the dialog titled TITLE
//
// Exit code 0 when the window was found, 1 when not, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WideText.h"

namespace {

// Texts travel as UTF-8, so that a title outside the code page reads back whole.
std::string WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  return WideToUtf8(text);
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectAll(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectAll, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// Dialog boxes and other windows are told apart, since an error box may
// carry the application's title too.
HWND FindTopLevel(const std::string& title, bool prefix, bool dialog) {
  for (HWND hwnd : TopLevelWindows()) {
    if (dialog != (ClassOf(hwnd) == "#32770")) continue;
    std::string text = WindowText(hwnd);
    if (prefix ? text.rfind(title, 0) == 0 : text == title) return hwnd;
  }
  return nullptr;
}

int Main(const std::vector<std::string>& argv) {
  const std::size_t argc = argv.size();
  if (argc < 2) return 2;
  std::string command = argv[1];
  if (command == "windows") {
    for (HWND hwnd : TopLevelWindows())
      std::printf("window=%s|%s\n", ClassOf(hwnd).c_str(), WindowText(hwnd).c_str());
    return 0;
  }
  if (command == "main" && argc == 3) {
    HWND hwnd = FindTopLevel(argv[2], true, false);
    if (!hwnd) return 1;
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    std::printf("title=%s\n", WindowText(hwnd).c_str());
    std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right, client.bottom);
    std::printf("enabled=%d\n", IsWindowEnabled(hwnd) ? 1 : 0);
    RECT frame;
    GetWindowRect(hwnd, &frame);
    std::printf("window=%ld,%ld,%ld,%ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    std::printf("style=%08lx\n", static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)));
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &thread) && thread.hwndFocus)
      std::printf("focus=%s\n", ClassOf(thread.hwndFocus).c_str());
    for (HWND child : Descendants(hwnd)) {
      if (!IsWindowVisible(child)) continue;
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&r), 2);
      std::printf("child=%ld,%ld,%ld,%ld|%s\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                  ClassOf(child).c_str());
    }
    return 0;
  }
  if (command == "dialogs") {
    for (HWND hwnd : TopLevelWindows()) {
      if (ClassOf(hwnd) != "#32770") continue;
      std::string texts, buttons;
      for (HWND child : Descendants(hwnd)) {
        std::string cls = ClassOf(child), text = WindowText(child);
        if (!IsWindowVisible(child) || text.empty()) continue;
        if (cls == "Button") buttons += (buttons.empty() ? "" : ",") + text;
        else if (cls == "Static") texts += (texts.empty() ? "" : " ") + text;
      }
      std::printf("dialog=%s|%s|%s\n", WindowText(hwnd).c_str(), texts.c_str(), buttons.c_str());
    }
    return 0;
  }
  if (command == "press" && argc == 3) {
    HWND dialog = FindTopLevel(argv[2], false, true);
    if (!dialog) return 1;
    for (HWND child : Descendants(dialog)) {
      if (ClassOf(child) == "Button" && IsWindowVisible(child)) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED), reinterpret_cast<LPARAM>(child));
        return 0;
      }
    }
    return 1;
  }
  return 2;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; wide && i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
  if (wide) LocalFree(wide);
  int result = Main(arguments);
  std::fflush(stdout);
  return result;
}
