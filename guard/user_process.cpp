#include "guard/user_process.h"

#include <tlhelp32.h>

#include "shared/win32/module.h"
#include "shared/win32/running_copy.h"
#include "shared/win32/system_handles.h"

namespace guard {

std::vector<DWORD> activeSessions() {
  std::vector<DWORD> sessions;
  WTS_SESSION_INFOW* info = nullptr;
  DWORD count = 0;
  if (WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) {
    const win32kit::UniqueWtsMemory owner(info);
    for (DWORD i = 0; i < count; ++i)
      if (info[i].State == WTSActive) sessions.push_back(info[i].SessionId);
  }
  if (sessions.empty()) {
    const DWORD console = WTSGetActiveConsoleSessionId();
    if (console != 0xFFFFFFFF) sessions.push_back(console);
  }
  return sessions;
}

bool runsProgram(DWORD processId, const std::wstring& path) {
  return win32kit::samePath(win32kit::processImagePath(processId), path);
}

std::optional<DWORD> sessionOf(DWORD processId) {
  DWORD session = 0;
  if (!ProcessIdToSessionId(processId, &session)) return std::nullopt;
  return session;
}

std::optional<UserProcess> openRunning(DWORD processId) {
  UserProcess process{win32kit::UniqueKernelHandle(OpenProcess(SYNCHRONIZE, FALSE, processId)), processId};
  if (!process.handle || WaitForSingleObject(process.handle.get(), 0) != WAIT_TIMEOUT) return std::nullopt;
  return process;
}

StartResult startInSession(const std::wstring& path, DWORD session) {
  StartResult result;
  win32kit::UniqueKernelHandle token;
  if (!WTSQueryUserToken(session, token.receive())) {
    result.error = GetLastError();
    return result;
  }
  win32kit::UniqueEnvironmentBlock environment;
  if (!CreateEnvironmentBlock(environment.receive(), token.get(), FALSE)) environment.reset();

  std::wstring commandLine = L"\"" + path + L"\"";
  const std::wstring folder = win32kit::folderOf(path);
  wchar_t desktop[] = L"winsta0\\default";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION info{};
  if (!CreateProcessAsUserW(token.get(), path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                            CREATE_UNICODE_ENVIRONMENT, environment.get(), folder.c_str(), &startup, &info)) {
    result.error = GetLastError();
    return result;
  }
  CloseHandle(info.hThread);
  result.process = UserProcess{win32kit::UniqueKernelHandle(info.hProcess), info.dwProcessId};
  return result;
}

}  // namespace guard
