// The switches that write at the click: the "System Protection" boxes and
// the wallpaper item, plus the tick of every other Tweaks and Advanced item.
#include "tessara7/restrictions/catalogue.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

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

void FrmConfig::connectProtections() {
  chkNoViewOnDrive.onClick = [this] { chkNoViewOnDrive_Click(); };
  chkC.onClick = [this] { chkC_Click(); };
  chklockusb.onClick = [this] { chklockusb_Click(); };
  chkLockStart.onClick = [this] { chkLockStart_Click(); };
  chkWallpaper.onClick = [this] { chkWallpaper_Click(); };
  // Every other Tweaks and Advanced item only flips its tick until Apply.
  for (const auto& entry : catalogue::switches()) {
    forms::MenuItem* item = findMenu(std::string(entry.control));
    if (item && !item->onClick) item->onClick = [item] { item->setChecked(!item->checked()); };
  }
}

void FrmConfig::chkNoViewOnDrive_Click() {
  if (chkNoViewOnDrive.value() != 0) {
    chkC.setEnabled(true);
    return;
  }
  PolicyChangeBatch batch(app_);
  app_.registry().SaveDwordValue(Root::Machine, keys::ExplorerPolicies, "NoViewOnDrive", 0);
  app_.policiesChanged();
  chkC.setValue(0);
  chkC.setEnabled(false);
}

void FrmConfig::chkC_Click() {
  auto& reg = app_.registry();
  const bool on = chkC.value() == 1;
  reg.SaveDwordValue(Root::Machine, keys::ExplorerPolicies, "NoViewOnDrive", on ? kDriveC : 0);
  reg.SaveStringValue(Root::Machine, keys::Settings, "NoDrives", on ? "1" : "0");
  app_.policiesChanged();
}

void FrmConfig::chklockusb_Click() {
  app_.registry().SaveDwordValue(Root::Machine, keys::StoragePolicies, "WriteProtect",
                                 chklockusb.value() == 1 ? 1 : 0);
  app_.policiesChanged();
}

void FrmConfig::chkLockStart_Click() {
  auto& reg = app_.registry();
  const bool on = chkLockStart.value() == 1;
  for (const auto& value : kTaskbarSet) {
    const int data = on ? value.ticked : value.cleared;
    if (data >= 0) reg.SaveDwordValue(Root::Machine, keys::ExplorerPolicies, value.name, data);
  }
  reg.SaveStringValue(Root::Machine, keys::Settings, "chkLockStart", on ? "1" : "0");
  app_.policiesChanged();
}

void FrmConfig::chkWallpaper_Click() {
  auto& reg = app_.registry();
  chkWallpaper.setChecked(!chkWallpaper.checked());
  const bool on = chkWallpaper.checked();
  reg.SaveStringValue(Root::Machine, keys::Settings, "disablewallpaper", on ? "1" : "0");
  reg.SaveDwordValue(Root::User, keys::ActiveDesktopPolicies, "NoChangingWallPaper", on ? 1 : 0);
  app_.policiesChanged();
}

}  // namespace tessara
