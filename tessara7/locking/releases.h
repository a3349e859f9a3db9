#pragma once
// What the master password released since start-up (the per-run lists on the
// configuration window's debug page): window classes and released titles for
// the foreground watcher's locks, window handles for the advanced watcher's.
#include <string>

#include "forms/controls.h"
#include "platform/desktop.h"

namespace tessara {

class Releases {
 public:
  // lstAllow: classes, and handles in decimal; lstUnlockedWin: released titles.
  Releases(forms::ListBox& lstAllow, forms::ListBox& lstUnlockedWin);

  // A window of a listed title was released: its class and its title.
  void releaseClass(const std::string& windowClass, const std::string& title);
  // A window of the Advanced menu's locks was released: that window only.
  void releaseWindow(platform::WindowHandle window);

  bool classReleased(const std::string& windowClass) const;
  bool windowReleased(platform::WindowHandle window) const;

  // Drops the releases whose windows are gone: a class release lasts while a
  // window of the class exists, a handle release while that window exists.
  void prune(platform::Desktop& desktop);

  // "Reset Locks": every release is withdrawn.
  void mnuResetLocks_Click();

 private:
  forms::ListBox& lstAllow_;
  forms::ListBox& lstUnlockedWin_;
};

}  // namespace tessara
