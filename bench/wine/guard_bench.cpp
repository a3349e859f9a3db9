// The guard service under Wine: with the real setup installed and a ticked
// task's window locked, the time from TerminateProcess of tessara7 to the
// lock holding again (that window, brought back to the front at once by this
// other process, hidden again by the new copy), over N trials.
// Usage: wine_bench.exe guard [trials=10]. Needs tessara7-setup.exe beside
// this program; installs into C:\Program Files\Tessara and removes it all
// (the service first) before and after.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shared/names.h"
#include "shared/win32/module.h"
#include "shared/win32/window.h"
#include "tests/e2e/guard_helpers.h"
#include "tests/e2e/harness.h"

namespace {

using namespace e2e;

constexpr const char* kTask = "Guarded Ledger";

bool lockedAway(HWND window) { return !IsWindowVisible(window) && IsIconic(window); }

HWND mainWindowOtherThan(DWORD previous) {
  HWND main = FindWindowW(widen(names::ConfigClass).c_str(), widen(names::MainTitle).c_str());
  return main && processOf(main) != previous ? main : nullptr;
}

bool install() {
  const std::wstring setup = win32kit::inProgramFolder(L"tessara7-setup.exe");
  std::wstring commandLine = L"\"" + setup + L"\" /S";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  DWORD code = 1;
  return WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.get(), &code) &&
         code == 0;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int runGuardBenchmarks(int trials) {
  std::printf("== Guard service: TerminateProcess of tessara7 to the lock holding again ==\n");
  guard::removeInstallation();
  RegistryFixture::clearStore();
  RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", kTask);
  RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Enabled", "1");
  if (!install()) {
    std::printf("  the setup did not install (is tessara7-setup.exe beside wine_bench.exe?)\n");
    return 1;
  }
  int result = 0;
  HWND main = nullptr;
  waitUntil(15000, [&] { return (main = mainWindowOtherThan(0)) != nullptr; });
  win32kit::registerWindowClass({L"GuardBenchWindow", DefWindowProcW, 0, COLOR_WINDOW, false});
  const win32kit::UniqueWindow window(CreateWindowExW(0, L"GuardBenchWindow", widen(std::string(kTask) + " - Accounts").c_str(),
                                                      WS_OVERLAPPEDWINDOW, 80, 80, 480, 320, nullptr, nullptr,
                                                      GetModuleHandleW(nullptr), nullptr));
  const auto toFront = [&] {
    ShowWindow(window.get(), SW_RESTORE);
    SetForegroundWindow(window.get());
  };
  toFront();
  if (!main || !waitUntil(5000, [&] { return lockedAway(window.get()); })) {
    std::printf("  the installed program did not start or did not lock its task's window\n");
    result = 1;
  }
  std::vector<double> back, locked;
  for (int trial = 0; result == 0 && trial < trials; ++trial) {
    const DWORD killed = processOf(main);
    Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, killed));
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!process || !TerminateProcess(process.get(), 1)) {
      std::printf("  TerminateProcess failed (%lu)\n", GetLastError());
      result = 1;
      break;
    }
    WaitForSingleObject(process.get(), 5000);
    // The attacker's point: the window is back in front while the program is gone.
    toFront();
    const auto elapsed = [&] {
      QueryPerformanceCounter(&now);
      return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    if (!waitUntil(10000, [&] { return (main = mainWindowOtherThan(killed)) != nullptr; })) {
      std::printf("  trial %d: the program did not come back\n", trial + 1);
      result = 1;
      break;
    }
    back.push_back(elapsed());
    if (!waitUntil(10000, [&] { return lockedAway(window.get()); })) {
      std::printf("  trial %d: the lock did not hold again\n", trial + 1);
      result = 1;
      break;
    }
    locked.push_back(elapsed());
    std::printf("  trial %2d: window back after %7.1f ms, locked again after %7.1f ms\n", trial + 1, back.back(),
                locked.back());
  }
  if (!locked.empty()) {
    std::printf("  %-52s %8.1f ms (median of %zu)\n", "TerminateProcess -> new main window", median(back), back.size());
    std::printf("  %-52s %8.1f ms (max %.1f)\n", "TerminateProcess -> lock holds again", median(locked),
                *std::max_element(locked.begin(), locked.end()));
  }
  guard::removeInstallation();
  RegistryFixture::clearStore();
  return result;
}
