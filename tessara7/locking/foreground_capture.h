#pragma once
// What the foreground watcher's last tick saw at the front. The advanced
// watcher matches its locks against it, and the lock guard runs the watchers
// again only when the front is no longer this window.
#include <string>

#include "platform/desktop.h"

namespace tessara {

struct ForegroundCapture {
  platform::WindowHandle ForegroundWindow = 0;
  std::string ForegroundTitle;
  std::string ForegroundClass;
};

}  // namespace tessara
