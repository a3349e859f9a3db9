#include "platform/sim/sim_window_events.h"

#include <vector>

#include "shared/names.h"

namespace platform::sim {

bool SimWindowEvents::raiseWindowAppeared() {
  if (!listener_ || !watching_) return false;
  listener_->windowAppeared();
  return true;
}

bool SimWindowEvents::raiseForegroundChanged() {
  if (!listener_ || !watching_) return false;
  listener_->foregroundMayHaveChanged();
  return true;
}

std::optional<long> SimWindowEvents::sendCopyData(std::uintptr_t tag, std::span<const std::byte> bytes) {
  if (!listener_) return std::nullopt;
  switch (sortCopyData(tag, bytes.data(), bytes.size())) {
    case CopyData::NotTheMenus: return std::nullopt;
    case CopyData::Refused: return 0;
    case CopyData::ExplorerMenu: break;
  }
  // The window copies the bytes and releases the sender before it handles them.
  const std::vector<std::byte> copy(bytes.begin(), bytes.end());
  listener_->explorerMenuClicked(copy);
  return 1;
}

long SimWindowEvents::askAreYouRunning() {
  return listener_ && listener_->areYouRunning() ? names::MainRunningAnswer : 0;
}

long SimWindowEvents::askEndForUninstaller() {
  return listener_ && listener_->endForUninstaller() ? names::EndForUninstallAccepted : 0;
}

void SimWindowEvents::trayCallback(int mouseMessage) {
  if (listener_) listener_->trayCallback(mouseMessage);
}

void SimWindowEvents::restartTaskbar() {
  if (listener_) listener_->taskbarRestarted();
}

}  // namespace platform::sim
