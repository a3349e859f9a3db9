// What the program hears from outside, raised as the window would hear it:
// an Explorer click reaching the command it runs (and copy data that is not
// one), another copy asking whether this one runs, the uninstaller's request
// to end, the tray icon and the taskbar's restart, and other programs'
// windows reaching the lock guard.
#include "shared/explorer_menu_message.h"
#include "shared/names.h"
#include "tessara7/locking/lock_guard.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

constexpr int kDoubleClick = 515;  // WM_LBUTTONDBLCLK

std::vector<std::byte> click(std::u16string caption, std::vector<std::u16string> paths) {
  return explorer_menu::encode({std::move(caption), std::move(paths)});
}

using OutsideEventsTest = AppTest;

TEST_F(OutsideEventsTest, AnExplorerClickRunsItsCommandAndOtherCopyDataDoesNot) {
  setString(Root::Machine, "Software\\TSR\\Settings", "chkContextMenu", "1");
  setString(Root::Machine, "Software\\TSR\\Settings", "mEnPwd", "0");
  start();
  config().txtEnPwd.setText("Page Key");
  sim.files.addFile("C:\\b.txt", "gamma");
  const auto encrypt = click(u"Encrypt", {u"C:\\b.txt"});

  // The same bytes under another tag are another sender's business.
  EXPECT_EQ(windowEvents.sendCopyData(names::ExplorerMenuCopyData + 1, encrypt), std::nullopt);
  // Longer than any click: refused unread, even with a well-formed start.
  auto huge = encrypt;
  huge.resize(explorer_menu::MaxBytes + 1);
  EXPECT_EQ(windowEvents.sendCopyData(names::ExplorerMenuCopyData, huge), 0);
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);
  EXPECT_EQ(config().txtPath.text(), "");

  EXPECT_EQ(windowEvents.sendCopyData(names::ExplorerMenuCopyData, encrypt), 1);
  EXPECT_EQ(config().txtPath.text(), "C:\\b.txt");
  sim.clock.advance(1000);
  EXPECT_TRUE(sim.files.exists("C:\\b.txt.ts7")) << "the click's command did not run";
}

TEST_F(OutsideEventsTest, OnlyTheRunningCopyAnswersAndTheGuardHearsAtMostOnceASecond) {
  sim.guard.installed = true;
  app();
  EXPECT_EQ(windowEvents.askAreYouRunning(), 0) << "answered before it held the single instance";
  start();
  sim.guard.told.clear();
  sim.clock.advance(5000);

  EXPECT_EQ(windowEvents.askAreYouRunning(), names::MainRunningAnswer);
  sim.clock.advance(OutsideEvents::GuardTellIntervalMs);
  EXPECT_EQ(windowEvents.askAreYouRunning(), names::MainRunningAnswer);
  EXPECT_EQ(sim.guard.told, std::vector{guard_channel::Request::Running}) << "told again within a second";
  sim.clock.advance(1);
  EXPECT_EQ(windowEvents.askAreYouRunning(), names::MainRunningAnswer);
  EXPECT_EQ(sim.guard.told.size(), 2u);

  app().End();
  EXPECT_EQ(windowEvents.askAreYouRunning(), 0) << "an ended copy still answered";
  EXPECT_EQ(sim.guard.told.size(), 2u);
}

TEST_F(OutsideEventsTest, TheTrayIconComesBackAfterTheTaskbarRestartsAndHearsTheMouse) {
  start();
  ASSERT_EQ(tray.icons.size(), 1u);
  tray.icons.clear();  // the new taskbar knows no icons
  windowEvents.restartTaskbar();
  EXPECT_EQ(tray.icons.size(), 1u);
  EXPECT_EQ(tray.addCount, 2);

  windowEvents.trayCallback(kDoubleClick);
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Configuration");
}

TEST_F(OutsideEventsTest, OtherProgramsWindowsReachTheLockGuardOnceItWatches) {
  app();
  EXPECT_FALSE(windowEvents.raiseWindowAppeared()) << "watched before the start";
  start();
  subsystems().lockList.clear();
  subsystems().lockList.append("Notepad", true, false);
  sim.clock.advance(250);  // mid-way between two ticks

  // A window that appears behind is watched closely until it comes to the front.
  const auto behind = sim.desktop.createWindow("notes - Notepad", "PlainWindow", 0);
  ASSERT_TRUE(windowEvents.raiseWindowAppeared());
  sim.clock.advance(100);
  sim.desktop.showWindowAsync(behind, platform::SwShow);
  sim.desktop.bringToFront(behind);
  sim.clock.advance(LockGuard::CloseIntervalMs);
  EXPECT_TRUE(sim.desktop.isHidden(behind)) << "waited for the watchers' tick";
  ASSERT_NE(prompt(), nullptr);
  prompt()->cmdCancelPWD.click();
  app().collect();

  // One that came to the front is hidden at once, with no time passing.
  const auto front = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  ASSERT_TRUE(windowEvents.raiseForegroundChanged());
  EXPECT_TRUE(sim.desktop.isHidden(front));
}

// The whole uninstall, as the uninstaller sees it: the program refuses to end
// until it handed its data file over and the asker holds it, then ends for
// good, with the history and the guard told.
TEST_F(OutsideEventsTest, TheUninstallerEndsTheProgramOnlyAfterTheHandOver) {
  const std::string folder = "C:\\Program Files\\Tessara\\";
  sim.files.addFolder(folder);
  sim.files.addFile(folder + "tessara7.exe", "program v7");
  sim.files.addFile(folder + names::UninstallerData, "tessara7.exe\r\n");
  sim.files.addFile(folder + "unins000.exe", "uninstaller");
  sim.files.addFolder("C:\\ProgramData\\Tessara");
  // SHA-256 of "program v7", as the setup records it.
  setString(Root::Machine, "Software\\TSR\\Guard", "ProgramSha256",
            "60fb9d11748a81a46d44581223d9622d96dd4147eb89706eb0297efb1c2cc8e9");
  sim.guard.installed = true;
  start();
  sim.clock.advance(1000);
  {
    auto held = sim.files.openRead(folder + names::UninstallerData);
    EXPECT_EQ(windowEvents.askEndForUninstaller(), 0) << "ended before the hand-over";
  }
  config().cmdUninstall.click();
  typePassword("openbox");
  config().cmdUninstall.click();
  sim.clock.advance(2000);  // the protector lets the file go
  EXPECT_EQ(windowEvents.askEndForUninstaller(), 0) << "ended for an asker not holding the data file";
  EXPECT_FALSE(app().ended());

  auto held = sim.files.openRead(folder + names::UninstallerData);
  ASSERT_NE(held, nullptr);
  sim.guard.told.clear();
  EXPECT_EQ(windowEvents.askEndForUninstaller(), names::EndForUninstallAccepted);
  EXPECT_TRUE(app().ended());
  EXPECT_EQ(quitCount, 1);
  EXPECT_TRUE(tray.icons.empty());
  EXPECT_EQ(sim.guard.told, std::vector{guard_channel::Request::HandOver});
  app().history().flush();
  const auto events = sim.guard.recorded();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().kind, history::Kind::Uninstall);
  EXPECT_EQ(windowEvents.askAreYouRunning(), 0);
}

}  // namespace
}  // namespace tessara::testing
