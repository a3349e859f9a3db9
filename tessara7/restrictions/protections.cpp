#include "tessara7/restrictions/protections.h"

#include "tessara7/restrictions/catalogue.h"
#include "tessara7/restrictions/policy_changes.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace {

using platform::Root;

using catalogue::PolicyValue;

void save(RegistryAccess& registry, Root root, const PolicyValue& policy, std::int32_t data) {
  registry.SaveDwordValue(root, policy.key, policy.value, data);
}

}  // namespace

Protections::Protections(RegistryAccess& registry, PolicyChanges& policies, Controls controls)
    : registry_(registry), policies_(policies), c_(controls) {}

void Protections::chkNoViewOnDrive_Click() {
  if (c_.chkNoViewOnDrive.value() != 0) {
    c_.chkC.setEnabled(true);
    return;
  }
  PolicyChanges::Batch batch(policies_);
  save(registry_, Root::Machine, catalogue::noViewOnDrive(), catalogue::noViewOnDrive().off);
  policies_.changed();
  c_.chkC.setValue(0);
  c_.chkC.setEnabled(false);
}

void Protections::chkC_Click() {
  auto& reg = registry_;
  const bool on = c_.chkC.value() == 1;
  const PolicyValue& drives = catalogue::noViewOnDrive();
  save(reg, Root::Machine, drives, on ? drives.on : drives.off);
  reg.SaveStringValue(Root::Machine, keys::Settings, "NoDrives", on ? "1" : "0");
  policies_.changed();
}

void Protections::chklockusb_Click() {
  const PolicyValue& usb = catalogue::usbWriteProtect();
  save(registry_, Root::Machine, usb, c_.chklockusb.value() == 1 ? usb.on : usb.off);
  policies_.changed();
}

void Protections::chkLockStart_Click() {
  auto& reg = registry_;
  const bool on = c_.chkLockStart.value() == 1;
  for (const PolicyValue& value : catalogue::taskbarSet()) {
    const std::int32_t data = on ? value.on : value.off;
    if (data != catalogue::kNotWritten) save(reg, Root::Machine, value, data);
  }
  reg.SaveStringValue(Root::Machine, keys::Settings, "chkLockStart", on ? "1" : "0");
  policies_.changed();
}

void Protections::chkWallpaper_Click() {
  auto& reg = registry_;
  c_.chkWallpaper.setChecked(!c_.chkWallpaper.checked());
  const bool on = c_.chkWallpaper.checked();
  reg.SaveStringValue(Root::Machine, keys::Settings, "disablewallpaper", on ? "1" : "0");
  const PolicyValue& wallpaper = catalogue::wallpaperLock();
  save(reg, Root::User, wallpaper, on ? wallpaper.on : wallpaper.off);
  policies_.changed();
}

void Protections::loadUsbTick(RegistryAccess& registry) {
  const PolicyValue& usb = catalogue::usbWriteProtect();
  c_.chklockusb.setValue(
      registry.GetDwordValue(Root::Machine, usb.key, usb.value) == usb.on ? 1 : 0);
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
