#pragma once
// The registry demonstration behind the tool's disabled buttons, on three
// keys under HKEY_CURRENT_USER\modRegistryTest. Each returns its message.
#include <string>

namespace hivexfer::demonstration {

std::string writeValues();   // "Write Reg Key"
std::string changeValues();  // "Change Reg Key Value"
std::string readValues();    // "Read Reg Key"
std::string enumKeys();      // "Enum Reg Keys"
std::string enumValues();    // "Enum Reg Key Values"
std::string deleteValues();  // "Delete Reg Key Value"
std::string deleteKeys();    // "Delete Reg Key"

}  // namespace hivexfer::demonstration
