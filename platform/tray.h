#pragma once
// The program's icon in the notification area.
#include <string_view>

#include "platform/desktop.h"

namespace platform {

class Tray {
 public:
  virtual ~Tray() = default;
  // The icon belongs to a window, which receives its mouse messages.
  virtual bool add(WindowHandle owner, std::string_view tip) = 0;
  virtual bool remove(WindowHandle owner) = 0;
};

}  // namespace platform
