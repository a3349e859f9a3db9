#pragma once
// What the master password released since start-up: window classes and
// released titles for the foreground watcher's locks, window handles for the
// advanced watcher's. A window locked by a program entry releases its process
// (id and start, so that neither a reused window handle nor a reused id
// inherits it). Releases holds them; the lists on the configuration window's
// debug page only show them.
#include <string>
#include <vector>

#include "forms/controls.h"
#include "platform/desktop.h"

namespace tessara {

class Releases {
 public:
  // One release of lstAllow: a window class, or one window (a handle, not 0).
  struct Allowance {
    std::string windowClass;
    platform::WindowHandle window = 0;
    friend bool operator==(const Allowance&, const Allowance&) = default;
  };

  // lstAllow shows classes, and handles in decimal; lstUnlockedWin the released titles.
  Releases(forms::ListBox& lstAllow, forms::ListBox& lstUnlockedWin);

  // A window of a listed title was released: its class and its title.
  void releaseClass(const std::string& windowClass, const std::string& title);
  // A window of the Advanced menu's locks was released: that window only.
  void releaseWindow(platform::WindowHandle window);

  // A window locked by a program entry was released: every window of its
  // process, while the process has one.
  void releaseProcess(const platform::ProcessKey& process, const std::string& title);

  bool classReleased(const std::string& windowClass) const;
  bool processReleased(const platform::ProcessKey& process) const;
  bool windowReleased(platform::WindowHandle window) const;

  const std::vector<Allowance>& allowances() const { return allowances_; }
  const std::vector<std::string>& titles() const { return titles_; }

  // Drops the releases whose windows are gone: a class release lasts while a
  // window of the class exists, a handle release while that window exists,
  // a process release while that process runs and has a top-level window.
  void prune(platform::Desktop& desktop);

  // "Reset Locks": every release is withdrawn.
  void mnuResetLocks_Click();

 private:
  void showAllowances();

  std::vector<Allowance> allowances_;
  std::vector<std::string> titles_;
  std::vector<platform::ProcessKey> processes_;
  forms::ListBox& lstAllow_;
  forms::ListBox& lstUnlockedWin_;
};

}  // namespace tessara
