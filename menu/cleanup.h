#pragma once
// The launcher's uninstall clean-up (uninst000): deletes the files of the
// system that the setup's uninstaller does not know, in a fixed order, and
// builds the report. The first step that fails ends it.
#include <string>

namespace tsrrun {

struct CleanupResult {
  bool completed = false;
  std::string report;  // when completed
  std::string error;   // the system's description of the failing step, otherwise
};

// `folder` is the launcher's folder without a trailing backslash; its first
// two characters name the drive whose root holds the rest.
CleanupResult runCleanup(const std::wstring& folder);

}  // namespace tsrrun
