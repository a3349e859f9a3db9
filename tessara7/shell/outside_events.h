#pragma once
// What the program does with what it hears from outside: other programs'
// windows go to the lock guard, an Explorer menu click to the menu's
// commands, the uninstaller's request to the uninstall hand-over, the tray
// icon's messages to the tray menu, and the taskbar's restart puts the icon
// back. Handlers run through the configuration window's fire(), so no error
// leaves them for the window procedure.
#include <cstdint>
#include <optional>

#include "platform/window_events.h"

namespace tessara {

class App;

class OutsideEvents final : public platform::WindowEventListener {
 public:
  explicit OutsideEvents(App& app) : app_(app) {}

  void foregroundMayHaveChanged() override;
  void windowAppeared() override;
  void explorerMenuClicked(std::span<const std::byte> message) override;
  // Only the running copy answers, and not once it has ended.
  bool areYouRunning() override;
  // Only once the program handed its data file over to the uninstaller
  // holding it; then it ends without the guard bringing it back.
  bool endForUninstaller() override;
  void trayCallback(int mouseMessage) override;
  void taskbarRestarted() override;

  // The guard is told at most this often that this copy runs.
  static constexpr std::uint64_t GuardTellIntervalMs = 1000;

 private:
  App& app_;
  std::optional<std::uint64_t> guardToldAt_;
};

}  // namespace tessara
