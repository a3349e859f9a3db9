// Export... and Import...: how the main program starts the transfer tool and
// hands it its command, against the simulated shell, desktop and clock,
// without the configuration window.
#include "tessara7/transfer/transfer_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/sim/sim_platform.h"
#include "shared/names.h"

namespace tessara {
namespace {

constexpr const char* kTool = "C:\\Program Files\\Tessara\\hivexfer.exe";

// A window of the program with a timer of its own, as the watchers' is.
class UsersPage : public forms::Form {
 public:
  explicit UsersPage(forms::Runtime& runtime) : Form(runtime, "frmUsers", "Users") {}
  forms::Timer timerTessara{*this, "timerTessara", 500, true};
};

class TransferCommandsTest : public ::testing::Test, public TransferCommands::Host {
 protected:
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  // As the program's modal wait: pending events run, and time goes on.
  void waitEvents() override {
    if (doEventsScript) doEventsScript();
    sim.clock.advance(10);
  }
  bool ended() const override { return false; }
  std::string noticeText() const { return notices.empty() ? "<no notice>" : notices.back(); }

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
  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  UsersPage page{runtime};
  HistoryQueue history{sim.guard};
  std::string appFolder = "C:\\Program Files\\Tessara\\";
  TransferCommands commands{*this, {sim.get(), history, appFolder}};
  std::function<void()> doEventsScript;
  std::vector<std::string> notices;
  platform::WindowHandle tool = 0;
  std::uint64_t appearedAt = 0;
};

TEST_F(TransferCommandsTest, ExportAndImportStartTheToolMinimisedInTheProgramFolderAndRetitleItAtOnce) {
  toolAppearsAfter(3000);
  commands.cmdExport_Click();
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
  commands.cmdImport_Click();
  ASSERT_NE(tool, 0u);
  EXPECT_EQ(sim.desktop.windowText(tool), "Registry Controller [Importing]");
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(TransferCommandsTest, AToolThatNeverShowsIsWaitedForThirtySecondsWithEventsRunning) {
  toolAppearsAfter(40000);
  int watcherTicks = 0;
  const auto before = sim.clock.nowMs();
  page.timerTessara.onTimer = [&] { ++watcherTicks; };
  page.load();  // its timers start with it
  commands.cmdExport_Click();
  const auto waited = sim.clock.nowMs() - before;
  EXPECT_GE(waited, 30000u);
  EXPECT_LT(waited, 30500u);
  EXPECT_GE(watcherTicks, 59) << "the watchers go on while the command waits";
  EXPECT_EQ(tool, 0u);
  // A second click while a start waits starts nothing more.
  sim.shell.onStart = nullptr;
  doEventsScript = [this] { commands.cmdImport_Click(); };
  commands.cmdExport_Click();
  EXPECT_EQ(sim.shell.started().size(), 2u);
}

TEST_F(TransferCommandsTest, AToolThatCannotStartGivesTheSystemsReasonInTheNotice) {
  sim.shell.failStart(kTool, "The system cannot find the file specified.");
  commands.cmdExport_Click();
  EXPECT_EQ(noticeText(), "The system cannot find the file specified.");
  EXPECT_TRUE(sim.shell.started().empty());
}

}  // namespace
}  // namespace tessara
