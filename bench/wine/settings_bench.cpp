// Settings benchmarks on the real registry: loading the store, Apply, the
// program's start-up time, its idle CPU time and its private memory.
// Figures only; nothing here passes or fails.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/tray.h"
#include "bench/wine/unix_process.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"
#include "platform/win32/win32_platform.h"
#include "tessara7/locking/password_hash.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/subsystems.h"

namespace {

using platform::Root;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 15;
constexpr int kStarts = 10;
constexpr int kFullRows = 999;
constexpr int kFullIgnored = 1000;

class NoTray final : public platform::Tray {
 public:
  bool add(platform::WindowHandle, std::string_view) override { return true; }
  bool remove(platform::WindowHandle) override { return true; }
};

using Owned = win32kit::UniqueFileHandle;  // CreateFileW fails with INVALID_HANDLE_VALUE

double median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t mid = samples.size() / 2;
  return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

double millisecondsOf(const std::function<void()>& work) {
  const auto begin = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

void clearStore() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TSR");
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\TSR");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TSR");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TSR");
}

// The largest store the loader reads: 999 ticked rows and 1000 ignored titles.
void writeFullStore(platform::Registry& registry) {
  clearStore();
  for (int n = 0; n < kFullRows; ++n) {
    const std::string key = "SOFTWARE\\TSR\\Windows" + std::to_string(n);
    registry.writeString(Root::Machine, key, "Window", "Locked window title number " + std::to_string(n));
    registry.writeString(Root::Machine, key, "Enabled", "1");
  }
  for (int n = 0; n < kFullIgnored; ++n)
    registry.writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program" + std::to_string(n),
                         "Ignored window title number " + std::to_string(n));
}

struct InProcessProgram {
  platform::win32::Win32Platform os;
  NoTray tray;
  tessara::App app{{os.get(), tray, nullptr, [] {}, [] {}}};
};

void report(const char* what, double value, const char* unit) { std::printf("%-58s %10.2f %s\n", what, value, unit); }

void benchLoad(const char* what, bool full) {
  InProcessProgram program;
  if (full) {
    writeFullStore(program.os.get().registry);
  } else {
    clearStore();
  }
  program.app.start();
  tessara::FrmConfig& config = program.app.frmConfig();
  std::vector<double> samples;
  for (int i = 0; i < kRuns; ++i) samples.push_back(millisecondsOf([&] { program.app.subsystems().loader.GetConfig(); }));
  std::fprintf(stderr, "  (%s: %d rows and %d ignored titles loaded)\n", what, config.lstProgram.count(),
               config.lstignore.count());
  report(what, median(samples), "ms (median)");
}

void benchApply() {
  InProcessProgram program;
  writeFullStore(program.os.get().registry);
  program.app.start();
  tessara::FrmConfig& config = program.app.frmConfig();
  std::vector<double> samples;
  for (int i = 0; i < kRuns; ++i) samples.push_back(millisecondsOf([&] { program.app.subsystems().apply.cmdok_Click(); }));
  std::fprintf(stderr, "  (Apply: %d rows and %d ignored titles written)\n", config.lstProgram.count(),
               config.lstignore.count());
  report("Apply, full configuration (999 rows, 1000 ignored)", median(samples), "ms (median)");
}

// The program measured: this build's, or the baseline's (another build of
// tessara7.exe named by TESSARA_BENCH_BASELINE) run beside it in the same run.
std::wstring baselinePath() {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD n = GetEnvironmentVariableW(L"TESSARA_BENCH_BASELINE", path, static_cast<DWORD>(std::size(path)));
  return n > 0 && n < std::size(path) ? std::wstring(path, n) : std::wstring();
}
bool g_measureBaseline = false;
std::wstring programPath() {
  return g_measureBaseline ? baselinePath() : win32kit::inProgramFolder(win32kit::toWide(names::MainProgram));
}
// Runs a measurement of the baseline (when one is named) and then of this build.
void besideBaseline(const std::function<void(const std::string& label)>& measure) {
  if (!baselinePath().empty()) {
    g_measureBaseline = true;
    measure(", baseline");
    g_measureBaseline = false;
  }
  measure("");
}

struct Started {
  PROCESS_INFORMATION info{};
  bool ok = false;
};

Started startProgram() {
  Started started;
  std::wstring path = programPath();
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  started.ok = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started.info) != FALSE;
  if (started.ok) CloseHandle(started.info.hThread);
  return started;
}

void endProgram(const Started& started) {
  if (!started.ok) return;
  TerminateProcess(started.info.hProcess, 0);
  WaitForSingleObject(started.info.hProcess, 10000);
  CloseHandle(started.info.hProcess);
}

// Waits for the main window; false after timeoutMs.
bool waitForMainWindow(DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!FindWindowW(nullptr, win32kit::toWide(names::MainTitle).c_str())) {
    if (GetTickCount64() > end) return false;
    Sleep(1);
  }
  return true;
}

enum class Store { Empty, Full, HashedPassword };

void benchStartup(const std::string& what, Store store) {
  {
    platform::win32::Win32Platform os;
    if (store == Store::Full) {
      writeFullStore(os.get().registry);
    } else {
      clearStore();
    }
    // A set password: the load finds out beside the start whether it is the default.
    if (store == Store::HashedPassword)
      os.get().registry.writeString(Root::Machine, "Software\\TSR\\PWD", "title2", tessara::PasswordHash::make("secret"));
  }
  std::vector<double> samples;
  for (int i = 0; i < kStarts; ++i) {
    const auto begin = Clock::now();
    Started started = startProgram();
    if (!started.ok) {
      std::fprintf(stderr, "cannot start %ls (error %lu)\n", programPath().c_str(), GetLastError());
      return;
    }
    const bool up = waitForMainWindow(30000);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    endProgram(started);
    if (!up) {
      std::fprintf(stderr, "no window titled \"Tessara 7\" within 30 s\n");
      return;
    }
    samples.push_back(ms);
    // Let the old window go before the next start looks for a new one.
    for (int wait = 0; wait < 500 && FindWindowW(nullptr, win32kit::toWide(names::MainTitle).c_str()); ++wait) Sleep(10);
  }
  report(what.c_str(), median(samples), "ms (median)");
}

double cpuMilliseconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ticks = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

void benchIdle(const std::string& label, bool full, int seconds) {
  {
    platform::win32::Win32Platform os;
    if (full) {
      writeFullStore(os.get().registry);
    } else {
      clearStore();
    }
  }
  Started started = startProgram();
  if (!started.ok || !waitForMainWindow(30000)) {
    std::fprintf(stderr, "tessara7 did not start\n");
    endProgram(started);
    return;
  }
  Sleep(2000);  // past start-up
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  const bool haveMemory = GetProcessMemoryInfo(started.info.hProcess,
                                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  const std::wstring unixDir = unixProcessDir(programPath());
  const double rssAnon = unixDir.empty() ? -1 : unixStatusMiB(unixDir, "RssAnon");
  const double unixBefore = unixDir.empty() ? -1 : unixCpuMilliseconds(unixDir);
  const double before = cpuMilliseconds(started.info.hProcess);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  const double after = cpuMilliseconds(started.info.hProcess);
  const double unixAfter = unixDir.empty() ? -1 : unixCpuMilliseconds(unixDir);
  endProgram(started);

  const std::string span = std::to_string(seconds) + " s, " + label;
  if (unixBefore >= 0 && unixAfter >= 0) {
    report(("Idle CPU time over " + span + " (/proc utime+stime)").c_str(), unixAfter - unixBefore, "ms");
    report("  as a share of one core", 100.0 * (unixAfter - unixBefore) / (seconds * 1000.0), "%");
  } else {
    std::fprintf(stderr, "no /proc entry for tessara7.exe\n");
  }
  if (before >= 0 && after >= 0)
    report(("Idle CPU time over " + span + " (GetProcessTimes)").c_str(), after - before, "ms");
  if (haveMemory) {
    report(("PrivateUsage after start, " + label).c_str(),
           static_cast<double>(memory.PrivateUsage) / (1024.0 * 1024.0), "MiB");
    report(("WorkingSetSize after start, " + label).c_str(),
           static_cast<double>(memory.WorkingSetSize) / (1024.0 * 1024.0), "MiB");
  }
  if (rssAnon >= 0) report(("Private resident memory (RssAnon), " + label).c_str(), rssAnon, "MiB");
}

int idleSeconds() {
  wchar_t text[16] = {};
  const DWORD n = GetEnvironmentVariableW(L"TESSARA_BENCH_IDLE_SECONDS", text, 16);
  const int value = n > 0 && n < 16 ? _wtoi(text) : 0;
  return value > 0 ? value : 60;
}

}  // namespace

// Runs every settings benchmark and prints one line per figure. Uses the
// registry of the prefix it runs in and leaves Software\TSR deleted.
void runSettingsBenchmarks() {
  std::printf("Settings benchmarks (Wine registry)\n");
  benchLoad("GetConfig, full store (999 rows, 1000 ignored)", true);
  benchLoad("GetConfig, empty store", false);
  benchApply();
  besideBaseline([](const std::string& baseline) {
    benchStartup("Start-up to the \"Tessara 7\" window, empty store" + baseline, Store::Empty);
    benchStartup("Start-up to the \"Tessara 7\" window, full store" + baseline, Store::Full);
    benchStartup("Start-up to the \"Tessara 7\" window, password hash stored" + baseline, Store::HashedPassword);
  });
  const int seconds = idleSeconds();
  besideBaseline([&](const std::string& baseline) {
    benchIdle("default list" + baseline, false, seconds);
    benchIdle("full store" + baseline, true, seconds);
  });
  clearStore();
  std::fflush(stdout);
}
