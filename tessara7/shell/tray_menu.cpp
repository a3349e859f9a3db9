// The notification-area icon's mouse messages and the two Settings items
// that switch parts of the tray off.
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {

void FrmConfig::connectTray() {
  mhideconfigure.onClick = [this] {
    mhideconfigure.setChecked(!mhideconfigure.checked());
    if (mhideconfigure.checked()) app_.showNotice("Open 'tsrrun.exe' to access the configuration in future!");
  };
  mhidecoffebreak.onClick = [this] { mhidecoffebreak.setChecked(!mhidecoffebreak.checked()); };
}

void FrmConfig::trayMessage(int mouseMessage) {
  constexpr int kLeftDoubleClick = 515;  // WM_LBUTTONDBLCLK
  constexpr int kRightButtonDown = 516;  // WM_RBUTTONDOWN
  if (mouseMessage == kLeftDoubleClick) {
    if (!mhideconfigure.checked()) {
      auto& state = app_.state();
      state.PendingTitle = "Configuration";
      state.PendingAction = "cfg";
      state.PendingWindow = 0;
      if (!state.DialogOpen) ShowPWD();
    }
  } else if (mouseMessage == kRightButtonDown) {
    popupMenu(mFile);
  }
  lblaction.setColor(0xC00000);  // ends the label's hover highlight
}

}  // namespace tessara
