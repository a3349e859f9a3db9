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
    {"chkLockFF", {"MozillaUIWindowClass", "OpWindow"}},
    {"chkdisableDownloads", {"File Download", "file - Downloads", "Download file"}},
    {"chkTaskManager", {"Windows Task Manager"}},
    {"chkLockMyComputer", {"My Computer"}},
    {"chkLockInstall", {"Setup", "Install", "Installer"}},
    {"chkLockextract", {"Extract"}},
}};

}  // namespace

std::span<const Switch> switches() { return kSwitches; }

std::span<const ImplicitLock> implicitLocks() { return kImplicitLocks; }

bool ticked(const Switch& entry, std::string_view storedText, std::int32_t storedDword) {
  if (entry.encoding == PolicyDword) return storedDword == 1;
  if (storedText.empty()) return entry.absent == Absent::On;
  if (!entry.offText.empty()) return storedText != entry.offText;
  return storedText == "1";
}

}  // namespace tessara::catalogue
