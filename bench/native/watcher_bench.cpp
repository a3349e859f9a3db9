// The foreground watcher's tick on the simulated platform: the cost of the
// program's own logic per tick, with the largest lists the store holds and
// with the list a first start shows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_tray.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/subsystems.h"

namespace {

constexpr int kLockedEntries = 999;
constexpr int kIgnoredTitles = 1000;
constexpr int kReleases = 50;

struct Program {
  platform::sim::SimPlatform sim;
  platform::sim::SimTray tray;
  std::unique_ptr<tessara::App> app;

  Program() {
    app = std::make_unique<tessara::App>(tessara::AppHost{sim.get(), tray, nullptr, [] {}, [] {}});
    app->start();
  }
  tessara::Subsystems& parts() { return app->subsystems(); }

  // 999 ticked entries, 1000 ignored titles, 50 released window classes
  // whose windows exist (so the watcher keeps the releases).
  void fillLists() {
    auto& parts = this->parts();
    parts.lockList.clear();
    for (int n = 0; n < kLockedEntries; ++n) parts.lockList.append("Locked task " + std::to_string(n), true, false);
    for (int n = 0; n < kIgnoredTitles; ++n) parts.ignoreList.add("Ignored title " + std::to_string(n));
    for (int n = 0; n < kReleases; ++n) {
      const std::string className = "ReleasedClass" + std::to_string(n);
      sim.desktop.createWindow("Released window " + std::to_string(n), className, 0);
      parts.releases.releaseClass(className, "Released window " + std::to_string(n));
    }
  }
};

void runTicks(benchmark::State& state, Program& program) {
  auto& watcher = program.parts().foregroundWatcher;
  for (auto _ : state) watcher.timerTessara_Timer();
  benchmark::DoNotOptimize(program.parts().foregroundWatcher.capture().ForegroundTitle);
}

// First start: the 25 unticked suggestions, nothing ignored or released.
void BM_WatcherTick_DefaultList(benchmark::State& state) {
  Program program;
  program.sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  runTicks(state, program);
}
BENCHMARK(BM_WatcherTick_DefaultList)->Unit(benchmark::kMicrosecond);

// Full lists, a foreground title that holds no entry: every entry is searched.
void BM_WatcherTick_FullLists_NoMatch(benchmark::State& state) {
  Program program;
  program.fillLists();
  program.sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  runTicks(state, program);
  if (program.app->openPassword()) state.SkipWithError("the watcher locked the window");
}
BENCHMARK(BM_WatcherTick_FullLists_NoMatch)->Unit(benchmark::kMicrosecond);

// Full lists, a title that holds the last entry but is the last ignored title:
// every entry, every release and every ignored title is looked at.
void BM_WatcherTick_FullLists_IgnoredMatch(benchmark::State& state) {
  Program program;
  program.fillLists();
  const std::string title = "Ignored title " + std::to_string(kIgnoredTitles - 1);
  program.parts().lockList.append(title, true, false);
  program.sim.desktop.createWindow(title, "Notepad");
  runTicks(state, program);
  if (program.app->openPassword()) state.SkipWithError("the watcher locked the window");
}
BENCHMARK(BM_WatcherTick_FullLists_IgnoredMatch)->Unit(benchmark::kMicrosecond);

}  // namespace
