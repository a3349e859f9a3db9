#include "tests/e2e/lock_helpers.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

#include "forms/control_id.h"
#include "shared/win32/module.h"
#include "shared/win32/window.h"

namespace e2e::lock {
namespace {

struct ClassSearch {
  DWORD pid = 0;
  std::wstring className;
  bool visibleOnly = false;
  HWND found = nullptr;
};

BOOL CALLBACK findOfClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  if (search->pid != 0 && processOf(window) != search->pid) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  std::array<wchar_t, 256> name{};
  const int n = GetClassNameW(window, name.data(), static_cast<int>(name.size()));
  if (std::wstring_view(name.data(), n > 0 ? n : 0) != search->className) return TRUE;
  search->found = window;
  return FALSE;
}

HWND findTopLevel(DWORD pid, const std::string& className, bool visibleOnly) {
  ClassSearch search{pid, widen(className), visibleOnly};
  EnumWindows(findOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Registers a plain window class of this process once; later calls reuse it.
void registerClass(const std::wstring& className) {
  win32kit::registerWindowClass({className, DefWindowProcW, 0, COLOR_WINDOW, false});
}

template <typename T>
void put(std::ofstream& out, const T& value) {
  out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

// --- Settings store -----------------------------------------------------------

void storeLockRow(int row, const std::string& task, bool ticked) {
  const std::string key = "SOFTWARE\\TSR\\Windows" + std::to_string(row);
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, key, "Window", task));
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, key, "Enabled", ticked ? "1" : "0"));
}

void storeSetting(const std::string& name, const std::string& value) {
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, kSettingsKey, name, value));
}

// --- The main program -----------------------------------------------------------

// By class as well: any program can open a window with that title.
RunningTessara::RunningTessara() : program("tessara7"), window(waitForWindow(kMainTitle, 15000, names::ConfigClass)) {}

// --- The password prompt --------------------------------------------------------

HWND visiblePrompt() { return visibleWindowOfClass(kPromptClass); }

HWND waitForPrompt(DWORD timeoutMs) {
  HWND prompt = nullptr;
  waitUntil(timeoutMs, [&] { return (prompt = visiblePrompt()) != nullptr; });
  return prompt;
}

bool waitForNoPrompt(DWORD timeoutMs) {
  return waitUntil(timeoutMs, [] { return visiblePrompt() == nullptr; });
}

std::optional<std::string> promptSubject(HWND prompt) { return query(prompt, "lblProgram.caption"); }

bool enterPassword(HWND prompt, const std::string& password) {
  return setText(prompt, forms::controlId("txtPass"), password) &&
         clickButton(prompt, forms::controlId("cmdok"));
}

bool clickPromptButton(HWND prompt, const char* controlName) {
  return clickButton(prompt, forms::controlId(controlName));
}

// --- Other windows ---------------------------------------------------------------

std::string notepadPath() {
  std::array<wchar_t, MAX_PATH> folder{};
  const UINT n = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  return narrow(std::wstring_view(folder.data(), n)) + "\\notepad.exe";
}

HWND waitForWindowOf(DWORD pid, const std::string& className, DWORD timeoutMs) {
  HWND window = nullptr;
  waitUntil(timeoutMs, [&] { return (window = findTopLevel(pid, className, false)) != nullptr; });
  return window;
}

RunningNotepad::RunningNotepad()
    : program(Program::atPath(notepadPath())), window(waitForWindowOf(program.pid(), "Notepad")) {
  // Notepad names its document in the title only after its window exists.
  if (window) waitUntil(5000, [&] { return windowText(window).find(" - Notepad") != std::string::npos; });
}

bool isLockedAway(HWND window) { return IsWindow(window) && !IsWindowVisible(window) && IsIconic(window); }

bool isReleased(HWND window) { return IsWindow(window) && IsWindowVisible(window) && !IsIconic(window); }

OwnedWindow makeWindow(const std::string& className, const std::string& title, bool activate) {
  const std::wstring wclass = widen(className);
  registerClass(wclass);
  OwnedWindow window(CreateWindowExW(0, wclass.c_str(), widen(title).c_str(), WS_OVERLAPPEDWINDOW, 60, 60,
                                     480, 320, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!window) return window;
  if (activate) {
    ShowWindow(window.get(), SW_SHOW);
    SetForegroundWindow(window.get());
  } else {
    SetWindowPos(window.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  pumpMessages();
  return window;
}

HWND visibleWindowOfClass(const std::string& cls) { return findTopLevel(0, cls, true); }

bool isAbove(HWND upper, HWND lower) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == upper) return true;
    if (w == lower) return false;
  }
  return false;
}

// --- Pictures --------------------------------------------------------------------

bool saveScreenshot(const std::string& name) {
  const auto dir = win32kit::environmentVariable(L"TESSARA_SCREENSHOT_DIR");
  if (!dir || dir->empty()) return false;
  const std::string path = toWindowsPath(narrow(*dir)) + "\\" + name + ".bmp";

  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * height);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as a .bmp file keeps it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(pixels.size());

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY | CAPTUREBLT) != FALSE;
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader = header;
  const bool read = copied && GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) return false;

  std::ofstream out(std::filesystem::path(widen(path)), std::ios::binary);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  put(out, file);
  put(out, header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

}  // namespace e2e::lock
