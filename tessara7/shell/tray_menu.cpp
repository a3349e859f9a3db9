#include "tessara7/shell/tray_menu.h"

#include "tessara7/shell/app.h"

namespace tessara {

TrayMenu::TrayMenu(App& app, Controls controls) : app_(app), c_(controls) {}

void TrayMenu::mhideconfigure_Click() {
  c_.mhideconfigure.setChecked(!c_.mhideconfigure.checked());
  if (c_.mhideconfigure.checked()) app_.showNotice("Open 'tsrrun.exe' to access the configuration in future!");
}

void TrayMenu::mhidecoffebreak_Click() { c_.mhidecoffebreak.setChecked(!c_.mhidecoffebreak.checked()); }

void TrayMenu::mconfig_Click() { app_.requestConfiguration("Configuration"); }

void TrayMenu::trayMessage(int mouseMessage) {
  constexpr int kLeftDoubleClick = 515;  // WM_LBUTTONDBLCLK
  constexpr int kRightButtonDown = 516;  // WM_RBUTTONDOWN
  if (mouseMessage == kLeftDoubleClick) {
    if (!c_.mhideconfigure.checked()) app_.requestConfiguration("Configuration");
  } else if (mouseMessage == kRightButtonDown) {
    c_.window.popupMenu(c_.mFile);
  }
  c_.lblaction.setColor(0xC00000);  // ends the label's hover highlight
}

void TrayMenu::applySwitches() {
  c_.mLockWorkstation.setEnabled(!c_.mhidecoffebreak.checked());
  c_.mconfig.setEnabled(!c_.mhideconfigure.checked());
}

}  // namespace tessara
