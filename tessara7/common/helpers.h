#pragma once
// Small helpers shared by the subsystems of the main program.
#include <string_view>

#include "forms/form.h"
#include "platform/files.h"

namespace tessara {

// Whether the path names an existing file that is not a folder; false on any error.
bool FileExists(platform::Files& files, std::string_view path);

// Puts the window above all others, or takes it off the top, without moving
// or resizing it.
void SetTopmost(forms::Form& window, bool on);

}  // namespace tessara
