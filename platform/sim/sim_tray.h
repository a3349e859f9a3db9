#pragma once
// A notification area that remembers the icons added to it.
#include <map>
#include <string>

#include "platform/tray.h"

namespace platform::sim {

class SimTray : public Tray {
 public:
  bool add(WindowHandle owner, std::string_view tip) override {
    icons[owner] = std::string(tip);
    ++addCount;
    return true;
  }
  bool remove(WindowHandle owner) override { return icons.erase(owner) > 0; }

  std::map<WindowHandle, std::string> icons;  // owner -> tip
  int addCount = 0;
};

}  // namespace platform::sim
