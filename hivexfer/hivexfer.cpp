// hivexfer: the configuration transfer tool. Its window title is its
// command; a title nobody changed means there is nothing to do, and the tool
// ends after half a second.
#include <windows.h>

namespace {

constexpr wchar_t kIdleTitle[] = L"Registry Controller [TSR]";
constexpr UINT_PTR kCommandTimer = 1;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetTimer(window, kCommandTimer, 500, nullptr);
      return 0;
    case WM_TIMER:
      KillTimer(window, kCommandTimer);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"Tessara.hivexfer";
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, kIdleTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 420, 300, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, showCommand);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
