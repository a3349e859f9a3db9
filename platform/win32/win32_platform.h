#pragma once
// The real platform: one owner for the Windows implementations.
#include "platform/platform.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_guard.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"

namespace platform::win32 {

class Win32Platform {
 public:
  Win32Platform() = default;
  // The bundle refers to the members, so the owner never moves.
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& get() { return bundle_; }
  Win32Shell& shell() { return shell_; }

 private:
  Win32Registry registry_;
  Win32Desktop desktop_;
  Win32Shell shell_;
  Win32Files files_;
  Win32Clock clock_;
  Win32Guard guard_;
  Platform bundle_{registry_, desktop_, shell_, files_, clock_, guard_};
};

}  // namespace platform::win32
