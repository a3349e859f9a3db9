// The Windows benchmarks, run under Wine: one shared entry point, each group
// of measurements in its own file printing its own figures.
//   wine_bench                      every group with its default arguments
//   wine_bench settings             the settings group only
//   wine_bench transfer             the configuration transfer group only
//   wine_bench lock [args...]       the lock-latency group only, with its arguments
//   wine_bench encryption FILE [N]  encrypting and decrypting FILE, N times (default 3)
//   wine_bench guard [N]            the guard service bringing the lock back, N times (default 10)
//   wine_bench history              handing an event over, and the service's cost for 10,000
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// settings_bench.cpp
void runSettingsBenchmarks();
// lock_latency.cpp; its arguments as the command line would give them.
int runLockLatencyBenchmarks(int argc, char** argv);
// transfer_bench.cpp
void runTransferBenchmarks();
// encryption_bench.cpp
int runEncryptionBenchmarks(const std::string& file, int repetitions);
// guard_bench.cpp
int runGuardBenchmarks(int trials);
// history_bench.cpp
int runHistoryBenchmarks();

int main(int argc, char** argv) {
  const char* group = argc > 1 ? argv[1] : nullptr;
  if (group == nullptr) {
    runSettingsBenchmarks();
    std::printf("\n");
    runTransferBenchmarks();
    std::printf("\n");
    runHistoryBenchmarks();
    std::printf("\n");
    char* none[] = {argv[0], nullptr};
    return runLockLatencyBenchmarks(1, none);
  }
  if (std::strcmp(group, "settings") == 0) {
    runSettingsBenchmarks();
    return 0;
  }
  if (std::strcmp(group, "transfer") == 0) {
    runTransferBenchmarks();
    return 0;
  }
  if (std::strcmp(group, "lock") == 0) {
    argv[1] = argv[0];
    return runLockLatencyBenchmarks(argc - 1, argv + 1);
  }
  if (std::strcmp(group, "encryption") == 0 && argc > 2)
    return runEncryptionBenchmarks(argv[2], argc > 3 ? std::atoi(argv[3]) : 3);
  if (std::strcmp(group, "guard") == 0) return runGuardBenchmarks(argc > 2 ? std::atoi(argv[2]) : 10);
  if (std::strcmp(group, "history") == 0) return runHistoryBenchmarks();
  std::fprintf(stderr,
               "usage: wine_bench [settings | transfer | lock [args...] | encryption FILE [N] | guard [N] | history]\n");
  return 2;
}
