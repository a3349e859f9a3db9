#include "tests/e2e/tessara_driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

namespace e2e {

namespace {

std::wstring lowerWide(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return std::towlower(c); });
  return s;
}

struct WindowsOf {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK collectWindowsOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowsOf*>(param);
  if (processOf(window) == search->pid) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::vector<DWORD> processIds(const std::string& exeName) {
  std::vector<DWORD> ids;
  const std::wstring wanted = lowerWide(widen(exeName));
  SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (lowerWide(entry.szExeFile) == wanted) ids.push_back(entry.th32ProcessID);
  return ids;
}

std::vector<HWND> topLevelWindowsOf(DWORD pid) {
  WindowsOf search{pid, {}};
  EnumWindows(collectWindowsOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<std::string> visibleTessaraWindows() {
  std::vector<std::string> shown;
  for (DWORD pid : processIds(names::MainProgram))
    for (HWND window : topLevelWindowsOf(pid))
      if (isVisible(window)) shown.push_back(windowClass(window) + " '" + windowText(window) + "'");
  return shown;
}

HWND waitForVisibleWindow(const std::string& className, DWORD timeoutMs) {
  const std::wstring wclass = widen(className);
  HWND found = nullptr;
  waitUntil(timeoutMs, [&] {
    for (HWND w = FindWindowExW(nullptr, nullptr, wclass.c_str(), nullptr); w;
         w = FindWindowExW(nullptr, w, wclass.c_str(), nullptr)) {
      if (IsWindowVisible(w)) {
        found = w;
        return true;
      }
    }
    return false;
  });
  return found;
}

std::optional<std::string> waitForAnswer(HWND form, const std::string& what, const std::string& expected,
                                         DWORD timeoutMs) {
  std::optional<std::string> answer;
  waitUntil(timeoutMs, [&] {
    answer = query(form, what, 1000);
    return answer == expected;
  });
  return answer;
}

HWND waitForMainWindow(DWORD timeoutMs) { return waitForWindow(kMainTitle, timeoutMs, kConfigClass); }

HWND openPrompt(HWND main, DWORD timeoutMs) {
  if (!postMenuCommand(main, idOf("mconfig"))) return nullptr;
  HWND prompt = waitForVisibleWindow(kPromptClass, timeoutMs);
  // The prompt is shown first and titled right after, in the same handler.
  if (prompt && !waitUntil(timeoutMs, [&] { return windowText(prompt) == kPromptTitle; })) return nullptr;
  return prompt;
}

bool submitPassword(HWND prompt, const std::string& password) {
  return setText(prompt, idOf("txtPass"), password) && clickButton(prompt, idOf("cmdok"));
}

bool unlockConfiguration(HWND main, const std::string& password) {
  HWND prompt = openPrompt(main);
  if (!prompt || !submitPassword(prompt, password)) return false;
  return waitUntil(5000, [&] { return isVisible(main); }) && query(main, "form.visible") == "1";
}

void dismissNotice() {
  if (HWND notice = FindWindowW(widen(kNoticeClass).c_str(), nullptr)) {
    clickButton(notice, idOf("cmdok"));
    waitUntil(3000, [&] { return !IsWindow(notice) || !IsWindowVisible(notice); });
  }
}

}  // namespace e2e
