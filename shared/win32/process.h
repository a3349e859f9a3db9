#pragma once
// Starting another program without waiting for it.
#include <windows.h>

#include <string>
#include <string_view>

#include "shared/win32/handles.h"

namespace win32kit {

struct StartedProcess {
  UniqueKernelHandle process;  // empty when the program did not start
  DWORD id = 0;
  DWORD error = ERROR_SUCCESS;  // GetLastError() of a failed start
  explicit operator bool() const { return static_cast<bool>(process); }
};

// Starts the program at `path` with no arguments (its command line is the
// quoted path), shown as `showCommand` says (SW_SHOWMINIMIZED, ...; -1 leaves
// it to the program), in `folder` (empty: this program's current folder).
inline StartedProcess startProcess(std::wstring_view path, int showCommand = -1, std::wstring_view folder = {}) {
  StartedProcess started;
  const std::wstring application(path);
  // CreateProcessW may write into the command line, so it has a buffer of its own.
  std::wstring commandLine = L"\"" + application + L"\"";
  const std::wstring directory(folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (showCommand >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    started.error = GetLastError();
    return started;
  }
  CloseHandle(info.hThread);
  started.process.reset(info.hProcess);
  started.id = info.dwProcessId;
  return started;
}

}  // namespace win32kit
