#include "tessara7/restrictions/catalogue.h"

#include <array>

#include "tessara7/settings/store_keys.h"

namespace tessara::catalogue {
namespace {

using enum Encoding;
using enum Where;

constexpr std::string_view kExplorer = keys::ExplorerPolicies;
constexpr std::string_view kIe = keys::IeRestrictions;
constexpr std::string_view kSettings = keys::Settings;

const std::array<Switch, 21> kSwitches{{
    {"chkDesktop", PolicyDword, Scope, kExplorer, "NoDesktop"},
    {"chkTaskManager", Flag, Scope, kSettings, "TaskManager", Absent::On, "0"},
    {"chkLockMyComputer", Flag, Scope, kSettings, "chkLockMyComputer"},
    {"chkContextMenu", Flag, Scope, kSettings, "chkContextMenu"},
    {"mEnPwd", Flag, Scope, kSettings, "mEnPwd", Absent::On},
    {"chkPasswordTimer", Flag, Scope, kSettings, "chkPasswordTimer"},
    {"chkRDesktop", PolicyDword, Scope, kExplorer, "NoViewContextMenu"},
    {"chkRun", PolicyDword, Scope, kExplorer, "NoRun"},
    {"chkFav", PolicyDword, Scope, kIe, "NoFavorites"},
    {"chkSource", PolicyDword, Scope, kIe, "NoViewSource"},
    {"chkOptions", PolicyDword, Scope, kIe, "NoBrowserOptions"},
    {"chkdlFolder", PolicyDword, Scope, kIe, "NoSelectDownloadDir"},
    {"chkNoPrograms", PolicyDword, Scope, kExplorer, "NoStartMenuMorePrograms"},
    {"chkLockIE", Flag, Scope, kSettings, "LockIE"},
    {"chkdisableDownloads", Flag, Scope, kSettings, "DisableDownloads"},
    {"chkLockFF", Flag, Scope, kSettings, "LockFF"},
    {"chkLockex", Flag, Scope, kSettings, "LockEx"},
    {"chkLockInstall", Flag, Scope, kSettings, "LockInstall"},
    {"chkLockextract", Flag, Scope, kSettings, "LockExtract"},
    {"mhidecoffebreak", Flag, Machine, kSettings, "mhidecoffebreak"},
    {"mhideconfigure", Flag, Machine, kSettings, "mhideconfigure"},
}};

const std::array<ImplicitLock, 6> kImplicitLocks{{
    // Today's Firefox and Opera share no window class with the old ones: their files tell them.
    {"chkLockFF", {"MozillaUIWindowClass", "OpWindow"}, {"firefox.exe", "opera.exe"}},
    {"chkdisableDownloads", {"File Download", "file - Downloads", "Download file"}},
    // The Task Manager of Windows 8 to 11 is titled "Task Manager", of class "TaskManagerWindow".
    {"chkTaskManager", {"Windows Task Manager", "Task Manager", "TaskManagerWindow"}, {"Taskmgr.exe"}},
    {"chkLockMyComputer", {"My Computer"}},
    {"chkLockInstall", {"Setup", "Install", "Installer"}},
    {"chkLockextract", {"Extract"}},
}};

constexpr std::array<std::string_view, 1> kInternetExplorerFiles{"iexplore.exe"};

constexpr PolicyValue kNoViewOnDrive{keys::ExplorerPolicies, "NoViewOnDrive", 1 << 2, 0};  // bit n: drive A + n
constexpr PolicyValue kUsbWriteProtect{keys::StoragePolicies, "WriteProtect", 1, 0};
constexpr PolicyValue kWallpaperLock{keys::ActiveDesktopPolicies, "NoChangingWallPaper", 1, 0};

constexpr std::array<PolicyValue, 9> kTaskbarSet{{
    {kExplorer, "NoSetTaskbar", 1, 0},
    {kExplorer, "LockTaskbar", 1, 0},
    {kExplorer, "NoToolbarCustomize", 1, 0},
    {kExplorer, "NoBandCustomize", 1, 0},
    {kExplorer, "NoChangeStartMenu", 1, 0},
    {kExplorer, "NoDesktopCleanupWizard", 1, 0},
    {kExplorer, "NoTrayContextMenu", kNotWritten, 0},
    {kExplorer, "EnableBalloonTips", 0, 1},
    {kExplorer, "NoActiveDesktop", 1, 0},
}};

}  // namespace

const PolicyValue& noViewOnDrive() { return kNoViewOnDrive; }
const PolicyValue& usbWriteProtect() { return kUsbWriteProtect; }
const PolicyValue& wallpaperLock() { return kWallpaperLock; }
std::span<const PolicyValue> taskbarSet() { return kTaskbarSet; }

std::vector<PolicyValue> policyValues() {
  std::vector<PolicyValue> values;
  for (const Switch& entry : kSwitches)
    if (entry.encoding == PolicyDword) values.push_back({entry.key, entry.value, 1, 0});
  values.push_back(kWallpaperLock);
  values.push_back(kNoViewOnDrive);
  values.push_back(kUsbWriteProtect);
  for (const PolicyValue& value : kTaskbarSet)
    if (value.on != kNotWritten) values.push_back(value);
  return values;
}

std::span<const Switch> switches() { return kSwitches; }

std::span<const ImplicitLock> implicitLocks() { return kImplicitLocks; }

std::span<const std::string_view> internetExplorerFiles() { return kInternetExplorerFiles; }

bool ticked(const Switch& entry, std::string_view storedText, std::int32_t storedDword) {
  if (entry.encoding == PolicyDword) return storedDword == 1;
  if (storedText.empty()) return entry.absent == Absent::On;
  if (!entry.offText.empty()) return storedText != entry.offText;
  return storedText == "1";
}

}  // namespace tessara::catalogue
