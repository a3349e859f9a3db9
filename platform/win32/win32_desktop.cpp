#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include "shared/win32/text.h"

namespace platform::win32 {

using win32kit::toWide;
using win32kit::toUtf8;

namespace {

HWND toHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle fromHwnd(HWND h) { return reinterpret_cast<WindowHandle>(h); }

// Window texts and class names are cut to 254 characters, which bounds what
// the watchers compare. Characters are code points: a pair of UTF-16
// surrogates is one, and is never cut in half.
constexpr std::size_t MaxTextCharacters = 254;
constexpr int TextBufferLength = 2 * MaxTextCharacters + 1;

std::string boundedText(const wchar_t* buffer, int length) {
  if (length <= 0) return {};
  const auto units = static_cast<std::size_t>(length);
  std::size_t end = 0;
  for (std::size_t characters = 0; end < units && characters < MaxTextCharacters; ++characters) {
    const bool pair = buffer[end] >= 0xD800 && buffer[end] <= 0xDBFF;
    if (pair && end + 1 >= units) break;  // the buffer cut the pair: leave its first half out
    end += pair ? 2 : 1;
  }
  return toUtf8(std::wstring_view(buffer, end));
}

// The Z order can change while it is walked; this bounds a walk that a
// reordering turned into a cycle.
constexpr std::size_t MaxWindowsWalked = 65536;

}  // namespace

WindowHandle Win32Desktop::foregroundWindow() { return fromHwnd(GetForegroundWindow()); }

std::string Win32Desktop::windowText(WindowHandle w) {
  wchar_t buffer[TextBufferLength] = {};
  return boundedText(buffer, GetWindowTextW(toHwnd(w), buffer, TextBufferLength));
}

std::string Win32Desktop::className(WindowHandle w) {
  wchar_t buffer[TextBufferLength] = {};
  return boundedText(buffer, GetClassNameW(toHwnd(w), buffer, TextBufferLength));
}

WindowHandle Win32Desktop::findWindow(std::optional<std::string_view> className,
                                      std::optional<std::string_view> title) {
  const std::wstring wideClass = className ? toWide(*className) : std::wstring{};
  const std::wstring wideTitle = title ? toWide(*title) : std::wstring{};
  return fromHwnd(FindWindowW(className ? wideClass.c_str() : nullptr,
                              title ? wideTitle.c_str() : nullptr));
}

bool Win32Desktop::isWindow(WindowHandle w) { return w != 0 && IsWindow(toHwnd(w)) != FALSE; }

bool Win32Desktop::isOwnWindow(WindowHandle w) {
  DWORD process = 0;
  return w != 0 && GetWindowThreadProcessId(toHwnd(w), &process) != 0 && process == GetCurrentProcessId();
}

void Win32Desktop::showWindowAsync(WindowHandle w, int command) { ShowWindowAsync(toHwnd(w), command); }

void Win32Desktop::postClose(WindowHandle w) { PostMessageW(toHwnd(w), WM_CLOSE, 0, 0); }

void Win32Desktop::setWindowText(WindowHandle w, std::string_view text) {
  // Another program's window that does not answer must not hold this one up.
  const std::wstring wide = toWide(text);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(toHwnd(w), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 2000,
                      &result);
}

std::uint32_t Win32Desktop::windowStyle(WindowHandle w) {
  return static_cast<std::uint32_t>(GetWindowLongW(toHwnd(w), GWL_STYLE));
}

std::vector<WindowHandle> Win32Desktop::topLevelWindows() {
  std::vector<WindowHandle> windows;
  const HWND firstChild = GetWindow(GetDesktopWindow(), GW_CHILD);
  if (firstChild == nullptr) return windows;
  for (HWND w = GetWindow(firstChild, GW_HWNDFIRST); w != nullptr && windows.size() < MaxWindowsWalked;
       w = GetWindow(w, GW_HWNDNEXT))
    windows.push_back(fromHwnd(w));
  return windows;
}

std::vector<TitledWindow> Win32Desktop::titledWindows(std::uint32_t requiredStyle, WindowHandle except) {
  std::vector<TitledWindow> found;
  std::wstring buffer;
  for (const WindowHandle handle : topLevelWindows()) {
    const HWND w = toHwnd(handle);
    if (handle == except) continue;
    // The style first: only the windows that pass have their text read.
    if ((static_cast<std::uint32_t>(GetWindowLongW(w, GWL_STYLE)) & requiredStyle) != requiredStyle) continue;
    const int length = GetWindowTextLengthW(w);
    if (length <= 0) continue;
    buffer.assign(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(w, buffer.data(), length + 1);
    if (copied > 0) found.push_back({handle, toUtf8(std::wstring_view(buffer.data(), static_cast<std::size_t>(copied)))});
  }
  return found;
}

void Win32Desktop::broadcastPolicyChange() {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"),
                      SMTO_ABORTIFHUNG, 1000, &result);
}

void Win32Desktop::sendKeyPress(std::uint16_t virtualKey) {
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = virtualKey;
  inputs[1] = inputs[0];
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void Win32Desktop::setWindowMark(WindowHandle w, std::string_view name, bool on) {
  const std::wstring wideName = toWide(name);
  if (on) SetPropW(toHwnd(w), wideName.c_str(), reinterpret_cast<HANDLE>(1));
  else RemovePropW(toHwnd(w), wideName.c_str());
}

}  // namespace platform::win32
