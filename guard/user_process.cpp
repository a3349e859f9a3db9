#include "guard/user_process.h"

#include <tlhelp32.h>

#include "shared/win32/module.h"
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

std::wstring imagePathOf(DWORD processId) {
  const win32kit::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return path;
}

bool runsProgram(DWORD processId, const std::wstring& path) {
  const std::wstring image = imagePathOf(processId);
  return !image.empty() && CompareStringOrdinal(image.c_str(), static_cast<int>(image.size()), path.c_str(),
                                                static_cast<int>(path.size()), TRUE) == CSTR_EQUAL;
}

std::optional<DWORD> sessionOf(DWORD processId) {
  DWORD session = 0;
  if (!ProcessIdToSessionId(processId, &session)) return std::nullopt;
  return session;
}

std::optional<UserProcess> findRunning(const std::wstring& path, DWORD session) {
  const std::wstring file = path.substr(path.find_last_of(L'\\') + 1);
  const win32kit::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    // The file name first: it costs nothing, the full path costs a process handle.
    if (CompareStringOrdinal(entry.szExeFile, -1, file.c_str(), -1, TRUE) != CSTR_EQUAL) continue;
    if (sessionOf(entry.th32ProcessID) != session) continue;
    UserProcess found{win32kit::UniqueKernelHandle(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)),
                      entry.th32ProcessID};
    // Checked after the handle is held, so that the id cannot have passed to another process.
    if (found.handle && runsProgram(found.id, path) && WaitForSingleObject(found.handle.get(), 0) == WAIT_TIMEOUT)
      return found;
  }
  return std::nullopt;
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
