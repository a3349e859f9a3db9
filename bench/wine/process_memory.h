#pragma once
// The private memory of a process running under Wine, watched while a
// benchmark runs. Wine leaves PrivateUsage at 0, so the Linux process's
// anonymous resident memory (RssAnon in /proc/<pid>/status, reached through
// Wine's Z: drive) is what is measured.
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

// Z:\proc\<pid>\status of the largest Linux process whose command line holds
// `commandLinePart`; empty when none does.
std::wstring statusPathOf(const std::string& commandLinePart);

// A "Name:   1234 kB" line of a /proc status file, in KiB; 0 when absent.
std::size_t statusKilobytes(const std::wstring& path, const char* field);

// Samples a process's private memory every 20 ms until destroyed.
class MemoryWatch {
 public:
  explicit MemoryWatch(const std::string& commandLinePart);
  ~MemoryWatch();
  MemoryWatch(const MemoryWatch&) = delete;
  MemoryWatch& operator=(const MemoryWatch&) = delete;
  double peakMegabytes() const { return static_cast<double>(peak_) / 1024; }
  double baselineMegabytes() const { return static_cast<double>(baseline_) / 1024; }

 private:
  std::wstring status_;
  std::size_t baseline_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> peak_{0};
  std::thread thread_;
};
