#include "guard/service.h"

#include <winsvc.h>
#include <wtsapi32.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "guard/channel_server.h"
#include "guard/event_log.h"
#include "guard/guard_loop.h"
#include "shared/names.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"

namespace guard {
namespace {

// The one service of this process. The control handler runs on the
// dispatcher's thread, the service's main function on one of its own.
struct Service {
  SERVICE_STATUS_HANDLE handle = nullptr;
  std::mutex statusLock;
  SERVICE_STATUS status{};
  // Lives to the end of the process, so that the handler never sees it go.
  std::atomic<GuardState*> state = nullptr;
};
Service g_service;

void report(DWORD state, DWORD exitCode = NO_ERROR) {
  const std::lock_guard lock(g_service.statusLock);
  SERVICE_STATUS& status = g_service.status;
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_SESSIONCHANGE : 0;
  status.dwWin32ExitCode = exitCode;
  status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 5000;
  status.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : status.dwCheckPoint + 1;
  SetServiceStatus(g_service.handle, &status);
}

void sessionChanged(GuardState& state, DWORD event, const void* data) {
  if (!data) return;
  const DWORD session = static_cast<const WTSSESSION_NOTIFICATION*>(data)->dwSessionId;
  if (event == WTS_SESSION_LOGON) state.change([&](SessionBook& book) { book.logOn(session); });
  if (event == WTS_SESSION_LOGOFF) state.change([&](SessionBook& book) { book.logOff(session); });
}

DWORD WINAPI control(DWORD code, DWORD event, void* data, void*) noexcept {
  try {
    GuardState* state = g_service.state;
    switch (code) {
      case SERVICE_CONTROL_STOP:
      case SERVICE_CONTROL_SHUTDOWN:
      case SERVICE_CONTROL_PRESHUTDOWN:
        if (state) state->stop();
        report(SERVICE_STOP_PENDING);
        return NO_ERROR;
      case SERVICE_CONTROL_SESSIONCHANGE:
        if (state) sessionChanged(*state, event, data);
        return NO_ERROR;
      case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
      default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
  } catch (...) {
    return NO_ERROR;
  }
}

void run() {
  static GuardState state;
  static HistoryKeeper history;
  if (!state.ready()) {
    report(SERVICE_STOPPED, GetLastError());
    return;
  }
  const std::wstring program = win32kit::inProgramFolder(win32kit::toWide(names::MainProgram));
  g_service.state = &state;
  std::thread channel([&] {
    try {
      serveChannel(state, history, program);
    } catch (...) {
      logEvent(EVENTLOG_ERROR_TYPE, "The channel stopped on an unexpected error.");
    }
  });
  report(SERVICE_RUNNING);
  try {
    runGuard(state, history, program);
  } catch (...) {
    logEvent(EVENTLOG_ERROR_TYPE, "The guard stopped on an unexpected error.");
  }
  // Whatever ended the loop, nothing more is started or answered.
  state.stop();
  report(SERVICE_STOP_PENDING);
  channel.join();
}

void WINAPI serviceMain(DWORD, wchar_t**) noexcept {
  try {
    g_service.handle =
        RegisterServiceCtrlHandlerExW(win32kit::toWide(names::GuardService).c_str(), control, nullptr);
    if (!g_service.handle) return;
    report(SERVICE_START_PENDING);
    run();
    report(SERVICE_STOPPED);
  } catch (...) {
    // Running out of memory at start: say so to the manager, whose failure
    // actions start the service again.
    if (g_service.handle) report(SERVICE_STOPPED, ERROR_NOT_ENOUGH_MEMORY);
  }
}

}  // namespace

bool runAsService() {
  std::wstring name = win32kit::toWide(names::GuardService);
  const SERVICE_TABLE_ENTRYW table[] = {{name.data(), serviceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) != FALSE;
}

}  // namespace guard
