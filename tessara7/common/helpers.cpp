#include "tessara7/common/helpers.h"

namespace tessara {

bool FileExists(platform::Files& files, std::string_view path) {
  try {
    const auto attributes = files.attributes(path);
    return attributes && (*attributes & platform::AttributeDirectory) == 0;
  } catch (...) {
    return false;
  }
}

void SetTopmost(forms::Form& window, bool on) { window.setTopmost(on); }

}  // namespace tessara
