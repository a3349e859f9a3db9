#pragma once
// Window classes and the message loop of a one-window program (the launcher,
// the transfer tool, helper windows of tests).
#include <windows.h>

#include <optional>
#include <string>
#include <unordered_map>

#include "shared/win32/text.h"

namespace win32kit {

struct WindowClass {
  std::wstring name;
  WNDPROC procedure = DefWindowProcW;
  UINT style = 0;                     // CS_DBLCLKS, ...
  int background = COLOR_BTNFACE;     // a system colour
  bool programIcon = true;            // the icon of resource 1, when the program has one
};

// Registers the class in this program once; true when it exists now.
inline bool registerWindowClass(const WindowClass& wanted) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = wanted.style;
  windowClass.lpfnWndProc = wanted.procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = wanted.programIcon ? LoadIconW(instance, MAKEINTRESOURCEW(1)) : nullptr;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(wanted.background + 1));
  windowClass.lpszClassName = wanted.name.c_str();
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The program's own handling of a message of its main window: a result ends
// the message there; nullopt leaves it to the kit, which ends the program
// when the window is destroyed and passes the rest to DefWindowProc.
using MessageHandler = std::optional<LRESULT> (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The one top-level window of a small program.
struct MainWindow {
  std::wstring className;
  MessageHandler handler = nullptr;
  UINT classStyle = 0;           // CS_DBLCLKS, ...
  std::string title;             // UTF-8
  DWORD style = WS_CAPTION | WS_SYSMENU;
  int width = CW_USEDEFAULT;     // with clientSize, of the client area
  int height = CW_USEDEFAULT;
  bool clientSize = false;
  bool centred = false;          // on the primary screen; else where Windows puts it
};

// The handler of each main window. Kept in the program, never in the
// window's user data, which any other program on the desktop can write.
inline std::unordered_map<HWND, MessageHandler>& mainWindowHandlers() {
  static std::unordered_map<HWND, MessageHandler> handlers;
  return handlers;
}

inline LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& handlers = mainWindowHandlers();
  if (message == WM_NCCREATE)
    handlers[window] = reinterpret_cast<MessageHandler>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
  if (const auto found = handlers.find(window); found != handlers.end() && found->second)
    if (const auto result = found->second(window, message, wParam, lParam)) return *result;
  if (message == WM_NCDESTROY) handlers.erase(window);
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Registers the class and creates the window (hidden); nullptr on failure.
inline HWND createMainWindow(const MainWindow& wanted) {
  if (!registerWindowClass({wanted.className, mainWindowProcedure, wanted.classStyle})) return nullptr;
  int width = wanted.width, height = wanted.height;
  if (wanted.clientSize) {
    RECT area{0, 0, width, height};
    AdjustWindowRect(&area, wanted.style, FALSE);
    width = area.right - area.left;
    height = area.bottom - area.top;
  }
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (wanted.centred) {
    x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  return CreateWindowExW(0, wanted.className.c_str(), toWide(wanted.title).c_str(), wanted.style, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), reinterpret_cast<void*>(wanted.handler));
}

// Runs the plain message loop until WM_QUIT; returns its exit code.
inline int runMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// A one-window program from start to end: creates and shows the window,
// then runs the loop; 1 when the window could not be made.
inline int runMainWindow(const MainWindow& wanted, int showCommand) {
  HWND window = createMainWindow(wanted);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  return runMessageLoop();
}

}  // namespace win32kit
