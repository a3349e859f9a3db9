#pragma once
// Where the running program is, as the menu sees it: its configuration window
// while that carries the menu's mark, and the entries it published. Nothing
// here sends the program a message or waits for it.
#include <windows.h>

#include <string>
#include <vector>

namespace tsrmenu {

// The program's window while its menu object is switched on; nullptr otherwise.
HWND programWindow();
// The entries in their order ("-" a separator); empty when none are published.
std::vector<std::wstring> publishedEntries();
// Sends a click to the program's window: the caption and the paths, without
// blocking Explorer for long. False when the program is gone or did not take it.
bool sendClick(HWND window, const std::wstring& caption, const std::vector<std::wstring>& paths);

}  // namespace tsrmenu
