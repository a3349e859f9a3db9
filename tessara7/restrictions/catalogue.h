#pragma once
// The switches of the "Tweaks", "Advanced" and "Settings" menus: where each
// one is shown, where it is stored and how a stored value ticks it again.
// Apply writes them in this order and the loader reads them back from the
// same rows, so the two can never disagree on a key or a value name; the
// menus are built from the same rows, so a new switch is one row.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace tessara::catalogue {

enum class Encoding {
  PolicyDword,  // REG_DWORD 1/0 under a policy key; ticked when it reads 1
  Flag,         // REG_SZ "1"/"0" under the program's settings; ticked when "1"
};

enum class Where {
  Scope,    // under the scope's root
  Machine,  // always under HKEY_LOCAL_MACHINE
};

enum class Absent { Off, On };  // how a missing flag loads

enum class Menu { None, Settings, Tweaks, Advanced };

// A heading inside a menu ("Windows:"): an item of its own that does nothing,
// with the captions of its switches indented beneath it.
struct Section {
  std::string_view item;
  std::string_view caption;
};
inline constexpr Section kWindowsSection{"mwindows", "Windows:"};
inline constexpr Section kInternetExplorerSection{"mie", "Internet Explorer:"};
inline constexpr Section kSystemSection{"mwin", "System:"};
inline constexpr Section kInternetSection{"mSeperator01", "Internet:"};

// Where a switch's menu item goes; Menu::None for a switch that is no menu item.
struct Placement {
  Menu menu = Menu::None;
  const Section* section = nullptr;
  std::string_view caption = {};  // as shown, without a section's indent
  // A line before the item, or before its section's heading when it opens the section.
  bool separatorBefore = false;
};

struct Switch {
  std::string_view control;  // menu item (or check box) name
  Placement placement;
  Encoding encoding;
  Where where;
  std::string_view key;
  std::string_view value;
  Absent absent = Absent::Off;
  // Flags that load as off only from this exact text ("0" for TaskManager).
  std::string_view offText = {};
};

// In Apply's order of writing.
std::span<const Switch> switches();

// What the program locks watch for, in the order the loader lists them.
// names: window titles and classes; programs: program files, matched as a
// program entry of the lock list is (the file's name or its original name).
struct ImplicitLock {
  std::string_view control;
  std::vector<std::string_view> names;
  std::vector<std::string_view> programs = {};
};
std::span<const ImplicitLock> implicitLocks();
// The program files the Internet Explorer lock knows beside its window class.
std::span<const std::string_view> internetExplorerFiles();

// A Windows policy value and what the program writes to it when its switch
// is on and when it is off.
struct PolicyValue {
  std::string_view key;
  std::string_view value;
  std::int32_t on;
  std::int32_t off;
};

// The values the System Protection boxes and the wallpaper item write at the
// click (the wallpaper's under HKEY_CURRENT_USER, the others under
// HKEY_LOCAL_MACHINE).
const PolicyValue& noViewOnDrive();   // the drive mask: drive C:
const PolicyValue& usbWriteProtect();
const PolicyValue& wallpaperLock();
// "Restrict Taskbar...": written in this order; a value whose `on` is
// kNotWritten is written only when the switch goes off.
inline constexpr std::int32_t kNotWritten = -1;
std::span<const PolicyValue> taskbarSet();

// Every policy value the program can switch on, each once: the setup's
// uninstaller switches off those that hold their on value.
std::vector<PolicyValue> policyValues();

// Whether a stored text or number ticks the switch.
bool ticked(const Switch& entry, std::string_view storedText, std::int32_t storedDword);

}  // namespace tessara::catalogue
