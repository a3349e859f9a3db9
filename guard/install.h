#pragma once
// "/install" and "/remove": the service's entry in the service manager.
// Each returns the program's exit code: 0, or the error that stopped it.
#include <windows.h>

namespace guard {

// Creates (or updates) the service for this program file, automatic start
// as LocalSystem, restarted a second after a failure, and starts it.
DWORD installService();
// Stops the service (waiting up to ten seconds for its process to end) and
// deletes it; a service that is not there is already removed.
DWORD removeService();

}  // namespace guard
