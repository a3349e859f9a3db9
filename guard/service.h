#pragma once
// Running as the Windows service: the dispatcher, the service's main
// function and its control handler.
#include <windows.h>

namespace guard {

// Hands this thread to the service manager until the service stops. False
// (with GetLastError()) when the program was not started by the service
// manager.
bool runAsService();

}  // namespace guard
