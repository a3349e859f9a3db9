#pragma once
// The switches that write at the click: the "System Protection" boxes (drive
// C: hidden, USB write protection, the taskbar restrictions) and the
// wallpaper item of the Tweaks menu.
#include "forms/controls.h"
#include "forms/menu.h"

namespace tessara {

class PolicyChanges;
class RegistryAccess;

class Protections {
 public:
  struct Controls {
    forms::CheckBox& chkNoViewOnDrive;
    forms::CheckBox& chkC;
    forms::CheckBox& chklockusb;
    forms::CheckBox& chkLockStart;
    forms::MenuItem& chkWallpaper;
  };
  Protections(RegistryAccess& registry, PolicyChanges& policies, Controls controls);

  void chkNoViewOnDrive_Click();
  void chkC_Click();
  void chklockusb_Click();
  void chkLockStart_Click();
  void chkWallpaper_Click();

  // The load, in its two places: the USB box from its policy value, the other
  // boxes and the wallpaper item from their machine-wide flags. Setting a box
  // runs its handler, which writes its values again.
  void loadUsbTick(RegistryAccess& registry);
  void loadFlags(RegistryAccess& registry);

 private:
  RegistryAccess& registry_;
  PolicyChanges& policies_;
  Controls c_;
};

}  // namespace tessara
