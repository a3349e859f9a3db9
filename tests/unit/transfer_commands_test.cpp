// Export... and Import...: how the main program starts the transfer tool and
// hands it its command, against the simulated shell, desktop and clock.
#include "shared/names.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

constexpr const char* kTool = "C:\\Program Files\\Tessara\\hivexfer.exe";

class TransferCommandsTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
  }
  // The tool's window comes up `delayMs` after the start, as a slow start
  // (or a consent prompt) would have it.
  void toolAppearsAfter(std::uint64_t delayMs) {
    sim.shell.onStart = [this, delayMs](const platform::sim::StartedProgram&) {
      const std::uint64_t at = sim.clock.nowMs() + delayMs;
      doEventsScript = [this, at] {
        if (tool == 0 && sim.clock.nowMs() >= at) {
          tool = sim.desktop.createWindow(names::TransferIdleTitle, names::TransferClass);
          appearedAt = sim.clock.nowMs();
        }
      };
    };
  }
  platform::WindowHandle tool = 0;
  std::uint64_t appearedAt = 0;
};

TEST_F(TransferCommandsTest, ExportAndImportStartTheToolMinimisedInTheProgramFolderAndRetitleItAtOnce) {
  toolAppearsAfter(3000);
  config().cmdExport.click();
  ASSERT_EQ(sim.shell.started().size(), 1u);
  EXPECT_EQ(sim.shell.started()[0].path, kTool);
  EXPECT_EQ(sim.shell.started()[0].showCommand, platform::SwShowMinimized);
  EXPECT_EQ(sim.shell.started()[0].folder, "C:\\Program Files\\Tessara\\");
  ASSERT_NE(tool, 0u);
  EXPECT_EQ(sim.desktop.windowText(tool), "Registry Controller [Exporting]");
  EXPECT_LE(sim.clock.nowMs() - appearedAt, 100u) << "the tool reads its title 500 ms after it appears";

  sim.desktop.destroyWindow(tool);
  tool = 0;
  toolAppearsAfter(0);
  config().cmdImport.click();
  ASSERT_NE(tool, 0u);
  EXPECT_EQ(sim.desktop.windowText(tool), "Registry Controller [Importing]");
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(TransferCommandsTest, AToolThatNeverShowsIsWaitedForThirtySecondsWithEventsRunning) {
  toolAppearsAfter(40000);
  int watcherTicks = 0;
  const auto before = sim.clock.nowMs();
  config().timerTessara.onTimer = [&] { ++watcherTicks; };
  config().cmdExport.click();
  const auto waited = sim.clock.nowMs() - before;
  EXPECT_GE(waited, 30000u);
  EXPECT_LT(waited, 30500u);
  EXPECT_GE(watcherTicks, 59) << "the watchers go on while the command waits";
  EXPECT_EQ(tool, 0u);
  // A second click while a start waits starts nothing more.
  sim.shell.onStart = nullptr;
  doEventsScript = [this] { config().cmdImport.click(); };
  config().cmdExport.click();
  EXPECT_EQ(sim.shell.started().size(), 2u);
}

TEST_F(TransferCommandsTest, AToolThatCannotStartGivesTheSystemsReasonInTheNotice) {
  sim.shell.failStart(kTool, "The system cannot find the file specified.");
  config().cmdExport.click();
  EXPECT_EQ(noticeText(), "The system cannot find the file specified.");
  EXPECT_TRUE(sim.shell.started().empty());
}

}  // namespace
}  // namespace tessara::testing
