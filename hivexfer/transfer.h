#pragma once
// Export and import of the configuration: both copies of SOFTWARE\TSR to the
// two hive files at the root of the current drive, and back from drive C:
// (or, for the setup, from a folder it names). Each returns the closing
// message: the success text, or the first failure in one sentence with the
// system's reason.
#include <string>

namespace hivexfer {

std::string exportConfiguration();
std::string importConfiguration();

// The import from the two hive files in `folder`, with the same checks.
struct ImportOutcome {
  bool imported = false;
  std::string message;
};
ImportOutcome importConfigurationFrom(const std::string& folder);

}  // namespace hivexfer
