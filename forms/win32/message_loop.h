#pragma once
// The message loop of a forms program: keyboard navigation for form windows
// (Tab, Enter for the default button), and a hook after every message so
// that the program can collect the forms that unloaded.
#include <functional>

namespace forms::win32 {

// Runs until WM_QUIT; returns its exit code.
int runMessageLoop(const std::function<void()>& afterEachMessage = {});

// Handles every message waiting now, then returns. A quit request met on the
// way is put back for the main loop.
void doEvents();

// Waits up to a twentieth of a second for a message (a timer's included),
// then handles what is waiting: a modal wait that leaves the core idle.
void waitEvents();

// Ends the main loop with this exit code.
void quit(int code);

}  // namespace forms::win32
