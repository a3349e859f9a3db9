// tsrguard: the service that keeps Tessara 7 running in the users' sessions.
//   tsrguard.exe /install   create the service and start it (the setup runs this, with
//                           the installing administrator's rights: it also records that
//                           person's own "This user" choice where Tessara looks for it)
//                           and it secures the install folder, places the spare copy and
//                           registers the history's source in the Application event log
//   tsrguard.exe /remove    stop and delete it, and the event source (the uninstaller runs this;
//                           the history stays for the administrators)
//   tsrguard.exe /trusted <file>
//                           exit code 0 when only administrators may change the file (the
//                           uninstaller asks this of its data file before acting on it)
//   tsrguard.exe            the service itself, started by the service manager
#include <windows.h>

#include <string_view>

#include "guard/history_keeper.h"
#include "guard/install.h"
#include "guard/installation.h"
#include "guard/owner_scope.h"
#include "guard/service.h"
#include "shared/names.h"
#include "shared/win32/file_trust.h"
#include "shared/win32/message_box.h"
#include "shared/win32/module.h"

namespace {

// The command line without the surrounding blanks.
std::wstring_view trimmed(const wchar_t* text) {
  std::wstring_view view = text ? text : L"";
  while (!view.empty() && iswspace(view.front())) view.remove_prefix(1);
  while (!view.empty() && iswspace(view.back())) view.remove_suffix(1);
  return view;
}

bool is(std::wstring_view argument, std::wstring_view name) {
  return CompareStringOrdinal(argument.data(), static_cast<int>(argument.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t* commandLine, int) {
  const std::wstring_view argument = trimmed(commandLine);
  if (is(argument, L"/install")) {
    guard::recordInstallingUsersScope();
    const DWORD secured = guard::secureInstallFolder(win32kit::programFolder());
    const DWORD spare = guard::placeSpareCopy(win32kit::inProgramFolder(win32kit::toWide(names::MainProgram)));
    const DWORD source = guard::registerEventSource(win32kit::modulePath());
    // The service matters most: it is installed whatever went wrong before.
    const DWORD service = guard::installService();
    return static_cast<int>(service ? service : secured ? secured : spare ? spare : source);
  }
  if (argument.size() > 9 && is(argument.substr(0, 9), L"/trusted ")) {
    std::wstring file(trimmed(std::wstring(argument.substr(9)).c_str()));
    if (file.size() >= 2 && file.front() == L'"' && file.back() == L'"') file = file.substr(1, file.size() - 2);
    return win32kit::fileTrust(file.c_str()).trust == win32kit::FileTrust::OnlyAdministrators ? 0 : 1;
  }
  if (is(argument, L"/remove")) {
    const DWORD service = guard::removeService();
    const DWORD source = guard::removeEventSource();
    return static_cast<int>(service ? service : source);
  }
  if (!argument.empty()) {
    win32kit::messageBox(nullptr, "Usage: tsrguard.exe /install or tsrguard.exe /remove.", names::GuardDisplayName,
                         MB_OK | MB_ICONINFORMATION);
    return ERROR_INVALID_PARAMETER;
  }
  if (guard::runAsService()) return 0;
  const DWORD error = GetLastError();
  if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
    win32kit::messageBox(nullptr,
                         "Tessara 7 Guard is a Windows service: Windows starts it. The setup installs it; it is not "
                         "run by hand.",
                         names::GuardDisplayName, MB_OK | MB_ICONINFORMATION);
  return static_cast<int>(error);
}
