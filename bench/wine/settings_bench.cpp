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
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"
#include "platform/win32/win32_platform.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

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
  for (int i = 0; i < kRuns; ++i) samples.push_back(millisecondsOf([&] { config.GetConfig(); }));
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
  for (int i = 0; i < kRuns; ++i) samples.push_back(millisecondsOf([&] { config.apply.cmdok_Click(); }));
  std::fprintf(stderr, "  (Apply: %d rows and %d ignored titles written)\n", config.lstProgram.count(),
               config.lstignore.count());
  report("Apply, full configuration (999 rows, 1000 ignored)", median(samples), "ms (median)");
}

std::wstring programPath() { return win32kit::inProgramFolder(win32kit::toWide(names::MainProgram)); }

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

void benchStartup(const char* what, bool full) {
  {
    platform::win32::Win32Platform os;
    if (full) {
      writeFullStore(os.get().registry);
    } else {
      clearStore();
    }
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
  report(what, median(samples), "ms (median)");
}

double cpuMilliseconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ticks = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

// --- The same process seen from the Linux side ----------------------------------
// Under Wine, GetProcessTimes of another process stops advancing after its
// start and PrivateUsage stays 0; /proc (drive Z:) has the figures of the
// Linux process that runs the program.

std::string readWholeFile(const std::wstring& path) {
  Owned file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

// Z:\proc\<pid>\ of the one Linux process whose command line names the program.
std::wstring unixProcessDir(const std::string& exeName) {
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    std::string commandLine = readWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
    std::transform(commandLine.begin(), commandLine.end(), commandLine.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    if (commandLine.find(exeName) != std::string::npos) {
      found = L"Z:\\proc\\" + name + L"\\";
      break;
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return found;
}

// utime + stime of /proc/<pid>/stat in ms (clock ticks of 10 ms); -1 when unknown.
double unixCpuMilliseconds(const std::wstring& dir) {
  const std::string stat = readWholeFile(dir + L"stat");
  const std::size_t end = stat.rfind(')');
  if (end == std::string::npos) return -1;
  std::vector<std::string> fields;
  std::size_t at = end + 2;
  while (at < stat.size()) {
    const std::size_t next = stat.find(' ', at);
    fields.push_back(stat.substr(at, next == std::string::npos ? std::string::npos : next - at));
    if (next == std::string::npos) break;
    at = next + 1;
  }
  if (fields.size() < 13) return -1;  // fields[11] is utime (field 14), fields[12] stime
  return (std::stod(fields[11]) + std::stod(fields[12])) * 10.0;
}

// A "Name:   1234 kB" line of /proc/<pid>/status in MiB; -1 when missing.
double unixStatusMiB(const std::wstring& dir, const std::string& name) {
  const std::string status = readWholeFile(dir + L"status");
  const std::size_t at = status.find("\n" + name + ":");
  if (at == std::string::npos) return -1;
  return std::stod(status.substr(at + name.size() + 2)) / 1024.0;
}

void benchIdle(const char* label, bool full, int seconds) {
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
  const std::wstring unixDir = unixProcessDir(names::MainProgram);
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
    report((std::string("PrivateUsage after start, ") + label).c_str(),
           static_cast<double>(memory.PrivateUsage) / (1024.0 * 1024.0), "MiB");
    report((std::string("WorkingSetSize after start, ") + label).c_str(),
           static_cast<double>(memory.WorkingSetSize) / (1024.0 * 1024.0), "MiB");
  }
  if (rssAnon >= 0) report((std::string("Private resident memory (RssAnon), ") + label).c_str(), rssAnon, "MiB");
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
  benchStartup("Start-up to the \"Tessara 7\" window, empty store", false);
  benchStartup("Start-up to the \"Tessara 7\" window, full store", true);
  const int seconds = idleSeconds();
  benchIdle("default list", false, seconds);
  benchIdle("full store", true, seconds);
  clearStore();
  std::fflush(stdout);
}
