#pragma once
// The running tasks the picker offers: the titles of the visible, bordered,
// titled top-level windows, topmost first.
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace tessara {

// Every window that qualifies is listed (duplicate titles as often as they
// occur), except the picker's own window and the program's windows, whose
// titles hold "Tessara" (case-sensitive).
std::vector<std::string> runningTasks(platform::Desktop& desktop, platform::WindowHandle picker);

}  // namespace tessara
