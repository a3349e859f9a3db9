#pragma once
// Between the watchers' half-second ticks: the watchers run at once when a
// window may have come to the front, a locked window that shows itself again
// is hidden again, and the computer lock's blank screen keeps its prompt
// above it. Its timer runs only while something needs watching closely: an
// idle program wakes no more often than its ticks.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class Releases;

class LockGuard {
 public:
  // What the guard needs of the program around it.
  class Host {
   public:
    // Asks for the master password for a held window again.
    virtual void requestPassword(PasswordRequest request) = 0;
    // The prompt is open and asks for something other than this window.
    virtual bool promptAsksForAnother(platform::WindowHandle window) const = 0;
    // The window the watchers last saw at the front.
    virtual platform::WindowHandle watchedForeground() const = 0;
    // The computer lock's blank screen is up.
    virtual bool computerLocked() const = 0;
    // The computer lock's prompt is put back above its blank screen; true
    // when it had to be (see ComputerLock::keepInPlace).
    virtual bool keepComputerLockInPlace() = 0;

   protected:
    ~Host() = default;
  };
  struct Parts {
    forms::Timer& tmrGuard;
    std::function<void()> runWatchers;  // both watchers' ticks, now
    platform::Clock& clock;
    platform::Desktop& desktop;
    const Releases& releases;  // whether a held window was released
  };
  LockGuard(Host& host, Parts parts);

  // Quick checks while something is watched closely, and while locked
  // windows are held hidden or the computer lock holds.
  static constexpr std::uint32_t CloseIntervalMs = 10;
  static constexpr std::uint32_t HoldIntervalMs = 100;
  // How long a window event, a lock or a window that came back keeps the
  // checks at the close interval.
  static constexpr std::uint64_t CloseSpellMs = 2000;

  // The foreground window may have changed (a window took the focus or was
  // renamed): the watchers run now.
  void foregroundMayHaveChanged();
  // A window of another program was created or shown: the watchers run now,
  // and the foreground is watched closely for a while, since the window may
  // come to the front only later.
  void windowAppeared();
  // Something must be watched closely for a while.
  void watchClosely();

  // A watcher minimised and hid this window for the password; until the
  // password releases it, it is hidden again whenever it shows itself, and
  // the request is made again. A window locked by a program entry carries
  // its process in the request.
  void held(PasswordRequest request);
  // It is no longer held (the password released it, or it is gone).
  void released(platform::WindowHandle window);
  // The password released it: no longer held, and shown and restored again.
  void showReleased(platform::WindowHandle window);
  std::size_t heldCount() const { return held_.size(); }

  void tmrGuard_Timer();

 private:
  struct HeldWindow {
    platform::WindowHandle window;
    PasswordRequest request;
  };
  void keepHeldWindowsHidden();
  bool stillLocked(const HeldWindow& held) const;
  void schedule();

  Host& host_;
  Parts p_;
  std::vector<HeldWindow> held_;
  std::uint64_t closeUntil_ = 0;
};

}  // namespace tessara
