#pragma once
// Nothing under the Windows folder is encrypted: not by a path that names it
// in another spelling ("/" for "\", "..", another case), nor through a link
// or junction that leads into it, nor by a walk through a drive's folders.
#include <string>
#include <string_view>

#include "platform/files.h"

namespace tessara::encryption {

// Whether `path` is `folder` or lies below it: whole names compared, case-blind.
bool isWithinFolder(std::string_view path, std::string_view folder);

class WindowsFolderRule {
 public:
  WindowsFolderRule(platform::Files& files, const std::string& windowsFolder);
  // The path, as written or where it leads, is the Windows folder or below it.
  bool covers(const std::string& path) const;

 private:
  platform::Files& files_;
  std::string windows_;       // as the system names it
  std::string windowsFinal_;  // where that leads
};

}  // namespace tessara::encryption
