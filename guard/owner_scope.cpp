#include "guard/owner_scope.h"

#include <windows.h>

#include <string>

#include "shared/win32/text.h"
#include "shared/win32/user_sid.h"

namespace guard {

void recordInstallingUsersScope() {
  wchar_t choice[32] = {};
  DWORD size = sizeof choice;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\TSR\\Settings", L"CurrentUser", RRF_RT_REG_SZ, nullptr, choice,
                   &size) != ERROR_SUCCESS ||
      std::wstring(choice) != L"Enabled")
    return;
  const std::string sid = win32kit::currentUserSid();
  if (sid.empty()) return;
  const std::wstring enabled = L"Enabled";
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\TSR\\Users", win32kit::toWide(sid).c_str(), REG_SZ, enabled.c_str(),
                  static_cast<DWORD>((enabled.size() + 1) * sizeof(wchar_t)));
}

}  // namespace guard
