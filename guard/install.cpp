#include "guard/install.h"

#include <optional>
#include <string>

#include "shared/names.h"
#include "shared/win32/module.h"
#include "shared/win32/system_handles.h"
#include "shared/win32/text.h"

namespace guard {
namespace {

using win32kit::UniqueServiceHandle;

constexpr const wchar_t* kDescription =
    L"Starts Tessara 7 in every user's session and starts it again when it is ended.";
constexpr DWORD kRestartMs = 1000;
constexpr DWORD kStopMs = 10000;

DWORD configure(SC_HANDLE service) {
  std::wstring description(kDescription);
  SERVICE_DESCRIPTIONW about{description.data()};
  if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &about)) return GetLastError();
  SC_ACTION restart[3] = {{SC_ACTION_RESTART, kRestartMs}, {SC_ACTION_RESTART, kRestartMs}, {SC_ACTION_RESTART, kRestartMs}};
  SERVICE_FAILURE_ACTIONSW failure{};
  failure.dwResetPeriod = 24 * 60 * 60;
  failure.cActions = 3;
  failure.lpsaActions = restart;
  if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure)) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace

DWORD installService() {
  const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE | SC_MANAGER_CONNECT));
  if (!manager) return GetLastError();
  const std::wstring name = win32kit::toWide(names::GuardService);
  const std::wstring display = win32kit::toWide(names::GuardDisplayName);
  const std::wstring command = L"\"" + win32kit::modulePath() + L"\"";
  // No account: LocalSystem.
  UniqueServiceHandle service(CreateServiceW(manager.get(), name.c_str(), display.c_str(), SERVICE_ALL_ACCESS,
                                             SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                             command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service) {
    if (GetLastError() != ERROR_SERVICE_EXISTS) return GetLastError();
    // An install over an earlier one: the same service, this program file.
    service.reset(OpenServiceW(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) return GetLastError();
    if (!ChangeServiceConfigW(service.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                              command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, display.c_str()))
      return GetLastError();
  }
  if (const DWORD error = configure(service.get())) return error;
  if (!StartServiceW(service.get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
    return GetLastError();
  return ERROR_SUCCESS;
}

DWORD removeService() {
  const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return GetLastError();
  const UniqueServiceHandle service(OpenServiceW(manager.get(), win32kit::toWide(names::GuardService).c_str(),
                                                 SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service) return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? ERROR_SUCCESS : GetLastError();

  // Its process is waited for too: the uninstaller deletes the program file next.
  win32kit::UniqueKernelHandle process;
  if (const auto status = win32kit::serviceStatus(service.get()); status && status->dwProcessId)
    process.reset(OpenProcess(SYNCHRONIZE, FALSE, status->dwProcessId));
  SERVICE_STATUS ignored{};
  ControlService(service.get(), SERVICE_CONTROL_STOP, &ignored);
  const ULONGLONG end = GetTickCount64() + kStopMs;
  while (GetTickCount64() < end) {
    const auto status = win32kit::serviceStatus(service.get());
    if (!status || status->dwCurrentState == SERVICE_STOPPED) break;
    Sleep(100);
  }
  if (process) {
    const ULONGLONG now = GetTickCount64();
    WaitForSingleObject(process.get(), now < end ? static_cast<DWORD>(end - now) : 0);
  }
  if (!DeleteService(service.get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace guard
