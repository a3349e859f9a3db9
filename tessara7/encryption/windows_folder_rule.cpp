#include "tessara7/encryption/windows_folder_rule.h"

#include "tessara7/common/text.h"

namespace tessara::encryption {

bool isWithinFolder(std::string_view path, std::string_view folder) {
  if (folder.empty()) return false;  // an unknown Windows folder holds nothing
  std::string p = lowerCase(path), f = lowerCase(folder);
  for (std::string* text : {&p, &f}) {
    for (char& c : *text)
      if (c == '/') c = '\\';
    while (text->size() > 3 && text->ends_with('\\')) text->pop_back();
  }
  if (!p.starts_with(f)) return false;
  return p.size() == f.size() || f.ends_with('\\') || p[f.size()] == '\\';
}

WindowsFolderRule::WindowsFolderRule(platform::Files& files, const std::string& windowsFolder)
    : files_(files), windows_(windowsFolder), windowsFinal_(windowsFolder.empty() ? "" : files.finalPath(windowsFolder)) {}

bool WindowsFolderRule::covers(const std::string& path) const {
  if (windows_.empty()) return false;
  if (isWithinFolder(path, windows_)) return true;
  const std::string final = files_.finalPath(path);
  return isWithinFolder(final, windows_) || isWithinFolder(final, windowsFinal_);
}

}  // namespace tessara::encryption
