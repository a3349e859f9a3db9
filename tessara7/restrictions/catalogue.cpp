#include "tessara7/restrictions/catalogue.h"

#include <array>

#include "tessara7/settings/store_keys.h"

namespace tessara::catalogue {
namespace {

using enum Encoding;
using enum Where;
using enum Menu;

constexpr std::string_view kExplorer = keys::ExplorerPolicies;
constexpr std::string_view kIe = keys::IeRestrictions;
constexpr std::string_view kSettings = keys::Settings;
constexpr bool kLineBefore = true;

// In menu order, menu by menu, then the switch that is no menu item.
constexpr auto kSwitches = std::to_array<Switch>({
    {"chkDesktop", {Tweaks, &kWindowsSection, "Hide Desktop Icons"}, PolicyDword, Scope, kExplorer, "NoDesktop"},
    {"chkRDesktop", {Tweaks, &kWindowsSection, "Disable Right-click Desktop"}, PolicyDword, Scope, kExplorer,
     "NoViewContextMenu"},
    {"chkNoPrograms", {Tweaks, &kWindowsSection, "Remove All Programs on Start Menu"}, PolicyDword, Scope, kExplorer,
     "NoStartMenuMorePrograms"},
    {"chkRun", {Tweaks, &kWindowsSection, "Remove Run on Start Menu"}, PolicyDword, Scope, kExplorer, "NoRun"},
    {"chkOptions", {Tweaks, &kInternetExplorerSection, "Disable Internet Options", kLineBefore}, PolicyDword, Scope,
     kIe, "NoBrowserOptions"},
    {"chkSource", {Tweaks, &kInternetExplorerSection, "Disable View Source"}, PolicyDword, Scope, kIe, "NoViewSource"},
    {"chkdlFolder", {Tweaks, &kInternetExplorerSection, "Disable Change of Download Folder"}, PolicyDword, Scope, kIe,
     "NoSelectDownloadDir"},
    {"chkFav", {Tweaks, &kInternetExplorerSection, "Remove Favorites"}, PolicyDword, Scope, kIe, "NoFavorites"},

    {"chkTaskManager", {Advanced, &kSystemSection, "Lock Task Manager"}, Flag, Scope, kSettings, "TaskManager",
     Absent::On, "0"},
    {"chkLockMyComputer", {Advanced, &kSystemSection, "Lock My Computer"}, Flag, Scope, kSettings, "chkLockMyComputer"},
    {"chkLockex", {Advanced, &kSystemSection, "Lock Windows Explorer"}, Flag, Scope, kSettings, "LockEx"},
    {"chkLockInstall", {Advanced, &kSystemSection, "Lock Software Installation"}, Flag, Scope, kSettings,
     "LockInstall"},
    {"chkLockextract", {Advanced, &kSystemSection, "Lock Zip && Self Extracting Files"}, Flag, Scope, kSettings,
     "LockExtract"},
    {"chkLockIE", {Advanced, &kInternetSection, "Lock Internet Explorer", kLineBefore}, Flag, Scope, kSettings,
     "LockIE"},
    {"chkLockFF", {Advanced, &kInternetSection, "Lock Firefox, Netscape && Opera"}, Flag, Scope, kSettings, "LockFF"},
    {"chkdisableDownloads", {Advanced, &kInternetSection, "Lock Downloads"}, Flag, Scope, kSettings,
     "DisableDownloads"},

    {"chkPasswordTimer", {Settings, nullptr, "Password Timer (30 Seconds)", kLineBefore}, Flag, Scope, kSettings,
     "chkPasswordTimer"},
    {"mEnPwd", {Settings, nullptr, "Require Master Password to use Encryption from Windows Explorer"}, Flag, Scope,
     kSettings, "mEnPwd", Absent::On},
    {"mhideconfigure", {Settings, nullptr, "Disable Configure (on sys tray)", kLineBefore}, Flag, Machine, kSettings,
     "mhideconfigure"},
    {"mhidecoffebreak", {Settings, nullptr, "Disable Lock Computer (on sys tray)"}, Flag, Machine, kSettings,
     "mhidecoffebreak"},

    {"chkContextMenu", {}, Flag, Scope, kSettings, "chkContextMenu"},
});

const auto kImplicitLocks = std::to_array<ImplicitLock>({
    // Today's Firefox and Opera share no window class with the old ones: their files tell them.
    {"chkLockFF", {"MozillaUIWindowClass", "OpWindow"}, {"firefox.exe", "opera.exe"}},
    {"chkdisableDownloads", {"File Download", "file - Downloads", "Download file"}},
    // The Task Manager of Windows 8 to 11 is titled "Task Manager", of class "TaskManagerWindow".
    {"chkTaskManager", {"Windows Task Manager", "Task Manager", "TaskManagerWindow"}, {"Taskmgr.exe"}},
    {"chkLockMyComputer", {"My Computer"}},
    {"chkLockInstall", {"Setup", "Install", "Installer"}},
    {"chkLockextract", {"Extract"}},
});

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
