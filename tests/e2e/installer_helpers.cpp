#include "tests/e2e/installer_helpers.h"

#include "tests/e2e/harness.h"

namespace e2e {

bool fileExists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<DWORD> runAndWait(const std::string& path, const std::string& arguments, DWORD timeoutMs) {
  std::wstring commandLine = L"\"" + widen(path) + L"\" " + widen(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(widen(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return std::nullopt;
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  if (!waitUntil(timeoutMs, [&] { return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }))
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

std::string dialogText(HWND dialog) {
  std::string longest;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(widen(windowClass(child)).c_str(), L"Static") != 0) continue;
    std::wstring buffer(4096, L'\0');
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(child, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL,
                             2000, &length))
      continue;
    const std::string text = narrow(std::wstring_view(buffer.data(), length));
    if (text.size() > longest.size()) longest = text;
  }
  return longest;
}

HWND waitForMessageBox(const std::string& title, DWORD timeoutMs) {
  HWND box = nullptr;
  waitUntil(timeoutMs, [&] {
    box = waitForWindow(title, 0, kDialogClass);
    return box && !dialogText(box).empty();
  });
  return box && !dialogText(box).empty() ? box : nullptr;
}

HWND uninstallerPage() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        if (windowClass(window) != kDialogClass || !windowText(window).starts_with(std::string(kUninstallerTitle) + ":"))
          return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace e2e
