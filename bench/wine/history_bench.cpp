// The history's costs under Wine: how long a watcher's tick spends handing
// one event to the program's queue (its thread sends it on), and what the
// guard service spends on 10,000 events: chaining and appending each line
// with its flush, reporting each to the event log, and reading the whole
// history back with its chain checked.
// Usage: wine_bench.exe history
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "history/history_log.h"
#include "platform/win32/win32_guard.h"
#include "shared/names.h"
#include "shared/win32/text.h"
#include "tessara7/history/history_queue.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kEvents = 10000;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

void handOver() {
  // No service listens here: the queue's thread finds none and keeps the
  // events, which costs the tick nothing either way.
  platform::win32::Win32Guard guard;
  tessara::HistoryQueue queue(guard);
  std::vector<double> times;
  times.reserve(kEvents);
  for (int i = 0; i < kEvents; ++i) {
    const auto begin = Clock::now();
    queue.record(history::Kind::Locked, "\"Untitled - Notepad\" (task \"Notepad\")");
    times.push_back(microseconds(Clock::now() - begin));
  }
  std::sort(times.begin(), times.end());
  std::printf("history hand-over per event: median %.2f us, p99 %.2f us, max %.0f us (%d events)\n",
              times[times.size() / 2], times[times.size() * 99 / 100], times.back(), kEvents);
}

void serviceCost() {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "tessara-history-bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  auto log = std::make_unique<history::HistoryLog>(
      folder, std::vector<std::uint8_t>(32, 0x42), [](const fs::path& path) { return std::ofstream(path).good(); });
  const history::Event event{"", "PC\\owner", 1, history::Kind::Locked, "\"Untitled - Notepad\" (task \"Notepad\")"};
  auto begin = Clock::now();
  for (int i = 0; i < kEvents; ++i) log->append(event);
  const double appended = microseconds(Clock::now() - begin) / 1000.0;

  begin = Clock::now();
  const auto entries = log->read();
  log.reset();
  const double read = microseconds(Clock::now() - begin) / 1000.0;
  const bool allHold = std::all_of(entries.begin(), entries.end(), [](const auto& e) { return e.intact; });

  constexpr int kReported = 1000;
  const std::wstring text = L"Window locked: \"Untitled - Notepad\"";
  begin = Clock::now();
  for (int i = 0; i < kReported; ++i) {
    HANDLE source = RegisterEventSourceW(nullptr, win32kit::toWide(names::HistoryEventSource).c_str());
    const wchar_t* strings[] = {text.c_str()};
    if (source) ReportEventW(source, EVENTLOG_INFORMATION_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
    if (source) DeregisterEventSource(source);
  }
  const double reported = microseconds(Clock::now() - begin) / kReported;

  std::printf("history service, %d events: append with MAC and flush %.0f ms (%.0f us each), "
              "event log %.0f us each, reading them back with the chain checked %.0f ms (%s)\n",
              kEvents, appended, appended * 1000.0 / kEvents, reported, read, allHold ? "all hold" : "BROKEN");
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace

int runHistoryBenchmarks() {
  handOver();
  serviceCost();
  return 0;
}
