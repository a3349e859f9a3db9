#include "tessara7/settings/load_steps.h"

namespace tessara {

void LoadSteps::record(const char* name, const char* what) noexcept {
  try {
    skipped_.push_back(std::string(name) + ": " + what);
  } catch (...) {
    // Out of memory while noting a skipped step; the load still goes on.
  }
}

}  // namespace tessara
