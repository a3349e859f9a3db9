#include "tessara7/locking/tasks.h"

namespace tessara {

std::vector<std::string> runningTasks(platform::Desktop& desktop, platform::WindowHandle picker) {
  std::vector<std::string> titles;
  for (platform::TitledWindow& window :
       desktop.titledWindows(platform::StyleVisible | platform::StyleBorder, picker))
    if (window.title.find("Tessara") == std::string::npos) titles.push_back(std::move(window.title));
  return titles;
}

}  // namespace tessara
