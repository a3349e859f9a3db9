#include "tests/e2e/guard_helpers.h"

#include <winsvc.h>

#include <string>

#include "shared/names.h"
#include "shared/win32/data_folder.h"
#include "tests/e2e/harness.h"
#include "shared/win32/system_handles.h"
#include "shared/win32/text.h"

namespace e2e::guard {
namespace {

using win32kit::UniqueServiceHandle;

UniqueServiceHandle openService(DWORD access) {
  const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return {};
  return UniqueServiceHandle(OpenServiceW(manager.get(), win32kit::toWide(names::GuardService).c_str(), access));
}

}  // namespace

std::optional<DWORD> serviceState() {
  const UniqueServiceHandle service = openService(SERVICE_QUERY_STATUS);
  if (!service) return std::nullopt;
  const auto status = win32kit::serviceStatus(service.get());
  return status ? std::optional<DWORD>(status->dwCurrentState) : std::nullopt;
}

DWORD openServiceError() {
  const UniqueServiceHandle service = openService(SERVICE_QUERY_STATUS);
  return service ? ERROR_SUCCESS : GetLastError();
}

void deleteService() {
  const UniqueServiceHandle service = openService(SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
  if (!service) return;
  win32kit::UniqueKernelHandle process;
  if (const auto status = win32kit::serviceStatus(service.get()); status && status->dwProcessId)
    process.reset(OpenProcess(SYNCHRONIZE, FALSE, status->dwProcessId));
  SERVICE_STATUS ignored{};
  ControlService(service.get(), SERVICE_CONTROL_STOP, &ignored);
  if (process) WaitForSingleObject(process.get(), 10000);
  DeleteService(service.get());
}

void removeInstallation() {
  deleteService();
  endAllPrograms();
  const auto remove = [](const std::string& path) {
    SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(widen(path).c_str());
  };
  for (const char* file : {names::MainProgram, names::TransferProgram, names::LauncherProgram, names::ExplorerMenuDll,
                           names::GuardProgram, names::HelpFile, names::OrderForm, names::Uninstaller,
                           names::UninstallerData})
    remove(std::string(kInstallFolder) + "\\" + file);
  RemoveDirectoryW(widen(kInstallFolder).c_str());
  for (const char* file : {names::SpareCopy, names::RootTextFile}) remove(std::string("C:\\") + file);
  remove(narrow(win32kit::spareCopyPath()));
  const std::string data = narrow(win32kit::tessaraDataFolder());
  for (const char* file : {"history.log", "history.1.log", "history.2.log", "history.3.log", "history.4.log",
                           "history.key"})
    remove(data + "\\" + file);
  RemoveDirectoryW(win32kit::tessaraDataFolder().c_str());
  RegistryFixture::deleteValue(Root::Machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tessara 7");
  RegistryFixture::deleteTree(Root::Machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessara7");
}

}  // namespace e2e::guard
