// tsrrun: the launcher. Makes sure the main program runs, and shows for two
// seconds a window whose title the main program answers with the
// configuration password prompt.
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kLauncherTitle[] = L"Password Required [TSR]";
constexpr wchar_t kMainTitle[] = L"Tessara 7";
constexpr UINT_PTR kCloseTimer = 1;  // Timer1: the window's two seconds
constexpr UINT_PTR kTitleTimer = 2;  // Timer2: watches the window's own title

HFONT g_font = nullptr;

std::wstring programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\'));
}

// Starts the main program unless its window exists; false when it cannot be started.
bool ensureMainProgram() {
  if (FindWindowW(nullptr, kMainTitle)) return true;
  std::wstring commandLine = L"\"" + programFolder() + L"\\tessara7.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND label = CreateWindowExW(0, L"STATIC", L"Loading...", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 34, 280,
                                   24, window, nullptr, nullptr, nullptr);
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), TRUE);
      SetTimer(window, kCloseTimer, 2000, nullptr);
      SetTimer(window, kTitleTimer, 1000, nullptr);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      KillTimer(window, kCloseTimer);  // stays until the user closes it
      return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!ensureMainProgram()) {
    MessageBoxW(nullptr, L"Please restart Windows to load the software and then try again.", L"Configure",
                MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  g_font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Verdana");
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"Tessara.tsrrun";
  RegisterClassExW(&windowClass);

  RECT area{0, 0, 280, 92};
  const DWORD style = WS_CAPTION | WS_SYSMENU;
  AdjustWindowRect(&area, style, FALSE);
  const int width = area.right - area.left, height = area.bottom - area.top;
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, kLauncherTitle, style,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (g_font) DeleteObject(g_font);
  return 0;
}
