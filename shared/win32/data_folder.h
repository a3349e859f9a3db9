#pragma once
// The machine's data folder for all users, and Tessara's folder in it, where
// only administrators and SYSTEM may change anything.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shared/names.h"
#include "shared/win32/text.h"

namespace win32kit {

// Administrators and SYSTEM full; users read and run; nothing inherited from above.
inline constexpr const wchar_t* AdministratorsWriteSecurity =
    L"O:BAG:SYD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// The known folder (C:\ProgramData), not %ProgramData%, which a user may set
// for themselves. Empty when Windows does not say.
inline std::wstring programDataFolder() {
  wchar_t* path = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DONT_VERIFY, nullptr, &path);
  std::wstring folder = SUCCEEDED(found) && path != nullptr ? std::wstring(path) : std::wstring();
  CoTaskMemFree(path);
  return folder;
}

inline std::wstring tessaraDataFolder() {
  const std::wstring data = programDataFolder();
  return data.empty() ? data : data + L"\\" + toWide(names::DataFolder);
}

inline std::wstring spareCopyPath() {
  const std::wstring folder = tessaraDataFolder();
  return folder.empty() ? folder : folder + L"\\" + toWide(names::SpareCopy);
}

}  // namespace win32kit
