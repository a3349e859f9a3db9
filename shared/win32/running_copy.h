#pragma once
// Is the main program really running in this session? A window title or a
// named object proves nothing (any program can make them); a window of the
// configuration window's class, in this session, owned by a process that runs
// the program file itself, does.
#include <windows.h>

#include <string>
#include <vector>

#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace win32kit {

// The file a process runs; empty when it cannot be read.
inline std::wstring processImagePath(DWORD processId) {
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return path;
}

inline bool samePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

inline DWORD sessionOf(DWORD processId) {
  DWORD session = 0;
  return ProcessIdToSessionId(processId, &session) ? session : static_cast<DWORD>(-1);
}

struct RunningCopyQuery {
  std::wstring programPath;      // the main program's file
  bool titled = false;           // only a window already titled "Tessara 7" (loaded)
  bool answering = false;        // only a copy that answers MainRunningMessage
};

// The configuration window of a genuine running copy (never this process's),
// or nullptr.
inline HWND findRunningCopy(const RunningCopyQuery& query) {
  struct Search {
    const RunningCopyQuery& query;
    std::wstring className = toWide(names::ConfigClass);
    DWORD session = sessionOf(GetCurrentProcessId());
    std::vector<HWND> candidates;
  } search{query, toWide(names::ConfigClass), sessionOf(GetCurrentProcessId()), {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        if (GetClassNameW(window, name, 64) && s.className == name) s.candidates.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  const UINT running = RegisterWindowMessageW(toWide(names::MainRunningMessage).c_str());
  for (HWND window : search.candidates) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == 0 || process == GetCurrentProcessId() || sessionOf(process) != search.session) continue;
    if (query.titled && windowText(window) != names::MainTitle) continue;
    if (!samePath(processImagePath(process), query.programPath)) continue;
    if (query.answering) {
      DWORD_PTR answer = 0;
      if (!SendMessageTimeoutW(window, running, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &answer) ||
          static_cast<long>(answer) != names::MainRunningAnswer)
        continue;
    }
    return window;
  }
  return nullptr;
}

}  // namespace win32kit
