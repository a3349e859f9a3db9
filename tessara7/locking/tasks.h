#pragma once
// The running tasks the picker offers: the titles of the visible, bordered,
// titled top-level windows, topmost first, each with its program's file.
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace tessara {

class ProgramLookup;

struct RunningTask {
  std::string title;
  std::string program;  // the file name its process runs; empty when unknown
};

// Every window that qualifies is listed (duplicate titles as often as they
// occur), except the picker's own window and the program's windows, whose
// titles hold "Tessara" (case-sensitive).
std::vector<RunningTask> runningTasks(platform::Desktop& desktop, ProgramLookup& programs,
                                      platform::WindowHandle picker);

// How the picker shows a task: "title  (program)", or the title alone.
std::string pickerLine(const RunningTask& task);

}  // namespace tessara
