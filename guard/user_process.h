#pragma once
// The guarded program's processes in the users' sessions: finding a running
// copy, starting one as the session's user, and telling a genuine copy from
// another program.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shared/win32/handles.h"

namespace guard {

struct UserProcess {
  win32kit::UniqueKernelHandle handle;  // SYNCHRONIZE, to wait for its end
  DWORD id = 0;
};

// The sessions a user is logged on to and works in. Wine reports none; the
// console session stands in then (it is always listed on Windows).
std::vector<DWORD> activeSessions();

// Whether a process runs the program at `path` (case-blind, as Windows names files).
bool runsProgram(DWORD processId, const std::wstring& path);
std::optional<DWORD> sessionOf(DWORD processId);

// A process by id while it runs, its handle held to wait for its end.
std::optional<UserProcess> openRunning(DWORD processId);

// Starts `path` in the session as its logged-on user, on the user's desktop,
// with the user's environment. On failure the error is GetLastError()'s.
struct StartResult {
  std::optional<UserProcess> process;
  DWORD error = ERROR_SUCCESS;
};
StartResult startInSession(const std::wstring& path, DWORD session);

}  // namespace guard
