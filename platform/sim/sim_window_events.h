#pragma once
// Simulated outside events: a test raises what the program's window would
// hear, and gets back what the window would answer. As on Windows, nothing
// reaches a program that is not listening yet, and other programs' windows
// only once it watches them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/window_events.h"

namespace platform::sim {

class SimWindowEvents final : public WindowEvents {
 public:
  void listen(WindowEventListener& listener) override { listener_ = &listener; }
  void watchOtherWindows() override { watching_ = true; }

  // --- for tests ---
  bool listening() const { return listener_ != nullptr; }
  bool watching() const { return watching_; }
  // Another program's window; false when the program does not watch yet.
  bool raiseWindowAppeared();
  bool raiseForegroundChanged();
  // A copy-data message as any process can send it: nothing when the tag is
  // not the Explorer menu's (the window's own handling goes on), else TRUE
  // when the bytes went to the program, FALSE when they were refused.
  std::optional<long> sendCopyData(std::uintptr_t tag, std::span<const std::byte> bytes);
  // The registered messages: what the window answers (0 when it does not).
  long askAreYouRunning();
  long askEndForUninstaller();
  void trayCallback(int mouseMessage);
  void restartTaskbar();

 private:
  WindowEventListener* listener_ = nullptr;
  bool watching_ = false;
};

}  // namespace platform::sim
