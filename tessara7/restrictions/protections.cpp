#include "tessara7/restrictions/protections.h"

#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"

namespace tessara {
namespace {

using platform::Root;

struct TaskbarValue {
  const char* name;
  int ticked;   // -1: not written when ticked
  int cleared;
};

// Written in this order.
constexpr TaskbarValue kTaskbarSet[] = {
    {"NoSetTaskbar", 1, 0},        {"LockTaskbar", 1, 0},       {"NoToolbarCustomize", 1, 0},
    {"NoBandCustomize", 1, 0},     {"NoChangeStartMenu", 1, 0}, {"NoDesktopCleanupWizard", 1, 0},
    {"NoTrayContextMenu", -1, 0},  {"EnableBalloonTips", 0, 1}, {"NoActiveDesktop", 1, 0},
};

constexpr std::int32_t kDriveC = 1 << 2;  // bit n hides drive letter A + n

}  // namespace

Protections::Protections(App& app, Controls controls) : app_(app), c_(controls) {}

void Protections::chkNoViewOnDrive_Click() {
  if (c_.chkNoViewOnDrive.value() != 0) {
    c_.chkC.setEnabled(true);
    return;
  }
  PolicyChangeBatch batch(app_);
  app_.registry().SaveDwordValue(Root::Machine, keys::ExplorerPolicies, "NoViewOnDrive", 0);
  app_.policiesChanged();
  c_.chkC.setValue(0);
  c_.chkC.setEnabled(false);
}

void Protections::chkC_Click() {
  auto& reg = app_.registry();
  const bool on = c_.chkC.value() == 1;
  reg.SaveDwordValue(Root::Machine, keys::ExplorerPolicies, "NoViewOnDrive", on ? kDriveC : 0);
  reg.SaveStringValue(Root::Machine, keys::Settings, "NoDrives", on ? "1" : "0");
  app_.policiesChanged();
}

void Protections::chklockusb_Click() {
  app_.registry().SaveDwordValue(Root::Machine, keys::StoragePolicies, "WriteProtect",
                                 c_.chklockusb.value() == 1 ? 1 : 0);
  app_.policiesChanged();
}

void Protections::chkLockStart_Click() {
  auto& reg = app_.registry();
  const bool on = c_.chkLockStart.value() == 1;
  for (const auto& value : kTaskbarSet) {
    const int data = on ? value.ticked : value.cleared;
    if (data >= 0) reg.SaveDwordValue(Root::Machine, keys::ExplorerPolicies, value.name, data);
  }
  reg.SaveStringValue(Root::Machine, keys::Settings, "chkLockStart", on ? "1" : "0");
  app_.policiesChanged();
}

void Protections::chkWallpaper_Click() {
  auto& reg = app_.registry();
  c_.chkWallpaper.setChecked(!c_.chkWallpaper.checked());
  const bool on = c_.chkWallpaper.checked();
  reg.SaveStringValue(Root::Machine, keys::Settings, "disablewallpaper", on ? "1" : "0");
  reg.SaveDwordValue(Root::User, keys::ActiveDesktopPolicies, "NoChangingWallPaper", on ? 1 : 0);
  app_.policiesChanged();
}

void Protections::loadUsbTick(RegistryAccess& registry) {
  c_.chklockusb.setValue(registry.GetDwordValue(Root::Machine, keys::StoragePolicies, "WriteProtect") == 1 ? 1 : 0);
}

void Protections::loadFlags(RegistryAccess& registry) {
  const auto flag = [&](std::string_view name) { return registry.GetStringValue(Root::Machine, keys::Settings, name); };
  c_.chkLockStart.setValue(flag("chkLockStart") == "1" ? 1 : 0);
  c_.chkWallpaper.setChecked(flag("disablewallpaper") == "1");
  if (flag("NoDrives") == "1") {
    c_.chkC.setValue(1);
    c_.chkNoViewOnDrive.setValue(1);
  } else {
    c_.chkNoViewOnDrive.setValue(0);
  }
}

}  // namespace tessara
