#include "tessara7/shell/outside_events.h"

#include "tessara7/encryption/explorer_menu.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/subsystems.h"
#include "tessara7/uninstall/uninstall_commands.h"

namespace tessara {

void OutsideEvents::foregroundMayHaveChanged() {
  FrmConfig& config = app_.frmConfig();
  config.fire([&] { app_.subsystems().lockGuard.foregroundMayHaveChanged(); });
}

void OutsideEvents::windowAppeared() {
  FrmConfig& config = app_.frmConfig();
  config.fire([&] { app_.subsystems().lockGuard.windowAppeared(); });
}

void OutsideEvents::explorerMenuClicked(std::span<const std::byte> message) {
  FrmConfig& config = app_.frmConfig();
  config.fire([&] { app_.subsystems().explorerMenu.received(message); });
}

bool OutsideEvents::areYouRunning() {
  if (!app_.os().shell.runningCopy() || app_.ended()) return false;
  // A new copy asks, perhaps one the guard started not knowing of this one
  // (the service restarted): the guard is told which copy to watch. A copy
  // that asks again and again does not flood the service.
  const std::uint64_t now = app_.os().clock.nowMs();
  if (!guardToldAt_ || now - *guardToldAt_ > GuardTellIntervalMs) {
    guardToldAt_ = now;
    app_.os().guard.tell(guard_channel::Request::Running);
  }
  return true;
}

bool OutsideEvents::endForUninstaller() {
  // The uninstaller, holding the data file the program handed over, asks it
  // to end without starting a new copy.
  bool accepted = false;
  app_.frmConfig().fire([&] { accepted = app_.uninstall().endForUninstaller(); });
  if (!accepted) return false;
  app_.history().record(history::Kind::Uninstall, "the program ended for the uninstaller");
  app_.os().guard.tell(guard_channel::Request::HandOver);  // the guard must not bring it back
  app_.End();
  return true;
}

void OutsideEvents::trayCallback(int mouseMessage) {
  FrmConfig& config = app_.frmConfig();
  config.fire([&] { app_.subsystems().trayMenu.trayMessage(mouseMessage); });
}

void OutsideEvents::taskbarRestarted() {
  // Explorer restarted: the icon is gone and must be put back.
  app_.frmConfig().fire([this] { app_.addTrayIcon(); });
}

}  // namespace tessara
