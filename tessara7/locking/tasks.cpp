#include "tessara7/locking/tasks.h"

#include "tessara7/locking/program_entries.h"

namespace tessara {

std::vector<RunningTask> runningTasks(platform::Desktop& desktop, ProgramLookup& programs,
                                      platform::WindowHandle picker) {
  std::vector<RunningTask> tasks;
  for (platform::TitledWindow& window :
       desktop.titledWindows(platform::StyleVisible | platform::StyleBorder, picker)) {
    if (window.title.find("Tessara") != std::string::npos) continue;
    const auto program = programs.of(window.handle);
    tasks.push_back({std::move(window.title), program ? program->file->fileName : std::string()});
  }
  return tasks;
}

std::string pickerLine(const RunningTask& task) {
  return task.program.empty() ? task.title : task.title + "  (" + task.program + ")";
}

}  // namespace tessara
