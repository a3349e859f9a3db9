#pragma once
// Move-only owners for the handles a service works with: the service
// manager's handles, a user's environment block and memory the terminal
// services API hands out. Apart from handles.h, because they pull in headers
// and libraries (advapi32, userenv, wtsapi32) the other programs do not need.
#include <windows.h>
#include <userenv.h>
#include <winsvc.h>
#include <wtsapi32.h>

#include <optional>

#include "shared/win32/handles.h"

namespace win32kit {

inline void closeServiceHandle(SC_HANDLE h) { CloseServiceHandle(h); }
inline void destroyEnvironmentBlock(void* h) { DestroyEnvironmentBlock(h); }
inline void freeWtsMemory(void* h) { WTSFreeMemory(h); }

// OpenSCManagerW, OpenServiceW, CreateServiceW.
using UniqueServiceHandle = UniqueHandle<HandleTraits<SC_HANDLE, closeServiceHandle>>;
// CreateEnvironmentBlock.
using UniqueEnvironmentBlock = UniqueHandle<HandleTraits<void*, destroyEnvironmentBlock>>;
// WTSEnumerateSessionsW and the other WTS calls that allocate their answer.
using UniqueWtsMemory = UniqueHandle<HandleTraits<void*, freeWtsMemory>>;

// A service's state and process id, nothing when it cannot be asked.
inline std::optional<SERVICE_STATUS_PROCESS> serviceStatus(SC_HANDLE service) {
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &needed))
    return std::nullopt;
  return status;
}

}  // namespace win32kit
