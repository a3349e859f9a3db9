#pragma once
// Export and import of the configuration: both copies of SOFTWARE\TSR to the
// two hive files at the root of the current drive, and back from drive C:.
// Each returns the closing message: the success text, or the first failure
// in one sentence with the system's reason.
#include <string>

namespace hivexfer {

std::string exportConfiguration();
std::string importConfiguration();

}  // namespace hivexfer
