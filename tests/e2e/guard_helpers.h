#pragma once
// The guard service as the tests see it: whether it is installed and
// running, and taking it away so that no test leaves it behind (it would
// bring tessara7 back in every later test, and at the next Wine start).
#include <windows.h>

#include <optional>

namespace e2e::guard {

// The service's state (SERVICE_RUNNING, ...), nothing when it is not installed.
std::optional<DWORD> serviceState();
// GetLastError() of OpenServiceW: ERROR_SERVICE_DOES_NOT_EXIST once it is gone.
DWORD openServiceError();
// Stops and deletes the service through the service manager, waiting for
// its process to end; nothing when it is not there.
void deleteService();

// The service first, then every program, file and entry a silent install
// into "C:\Program Files\Tessara" leaves (the settings stay).
inline constexpr const char* kInstallFolder = "C:\\Program Files\\Tessara";
void removeInstallation();

}  // namespace e2e::guard
