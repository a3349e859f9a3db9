#pragma once
// The notification-area icon's mouse messages, the tray menu (the
// configuration window's hidden "File" menu) and the two Settings items that
// switch parts of it off.
#include "forms/form.h"

namespace tessara {

class App;

class TrayMenu {
 public:
  struct Controls {
    forms::Form& window;
    forms::MenuItem& mFile;
    forms::MenuItem& mconfig;
    forms::MenuItem& mLockWorkstation;
    forms::MenuItem& mhideconfigure;
    forms::MenuItem& mhidecoffebreak;
    forms::Label& lblaction;
  };
  TrayMenu(App& app, Controls controls);

  // A mouse message from the tray icon (WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, ...).
  void trayMessage(int mouseMessage);
  void mhideconfigure_Click();
  void mhidecoffebreak_Click();
  void mconfig_Click();

  // After a load: the switched-off items are unavailable on the tray menu.
  void applySwitches();

 private:
  App& app_;
  Controls c_;
};

}  // namespace tessara
