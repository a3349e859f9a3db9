#pragma once
// Keys of the settings store and of the Windows policies the program reads.
// Key names are case-blind; the spellings here are the program's own.

namespace tessara::keys {

inline constexpr const char* Root = "Software\\TSR";
inline constexpr const char* Settings = "Software\\TSR\\Settings";
inline constexpr const char* Password = "Software\\TSR\\PWD";
inline constexpr const char* Ignore = "SOFTWARE\\TSR\\IGNORE";
inline constexpr const char* WindowRowPrefix = "SOFTWARE\\TSR\\Windows";  // + row number
inline constexpr const char* WindowRowName = "Windows";                  // subkey name + number
inline constexpr const char* Programs = "Software\\TSR\\Programs";
inline constexpr const char* ShelterItems = "Software\\TSR\\Shelter\\Items";
// Under HKEY_LOCAL_MACHINE only: the users whom the owner gave settings of
// their own, one value per user's SID ("Enabled").
inline constexpr const char* ScopeUsers = "Software\\TSR\\Users";

inline constexpr const char* ExplorerPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline constexpr const char* IeRestrictions =
    "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
inline constexpr const char* ActiveDesktopPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\ActiveDesktop";
inline constexpr const char* StoragePolicies =
    "SYSTEM\\CurrentControlSet\\Control\\StorageDevicePolicies";

// The loader reads rows 0 to 998 of the lock list and values 0 to 999 of the
// ignore list.
inline constexpr int kLockRowsRead = 999;
inline constexpr int kIgnoreValuesRead = 1000;

}  // namespace tessara::keys
