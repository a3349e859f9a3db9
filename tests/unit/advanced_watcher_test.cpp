// The advanced watcher: the Advanced menu's fixed locks and the launcher's
// window, against the simulated desktop.
#include "tests/unit/app_fixture.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::testing {
namespace {

class AdvancedWatcherTest : public AppTest {
 protected:
  void startWith(std::initializer_list<const char*> flags) {
    for (const char* flag : flags) setString(Root::Machine, keys::Settings, flag, "1");
    start();
  }
  void tick() { sim.clock.advance(500); }
  bool locked(platform::WindowHandle w) { return sim.desktop.isHidden(w) && sim.desktop.isMinimised(w); }
};

TEST_F(AdvancedWatcherTest, TaskManagerIsLockedByDefault) {
  start();
  auto w = sim.desktop.createWindow("Windows Task Manager", "TaskManagerWindow");
  tick();
  EXPECT_TRUE(locked(w));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Restrictions");
  EXPECT_EQ(pending().PendingAction, Action::AdvancedLock);
  EXPECT_EQ(pending().PendingWindow, w);
}

TEST_F(AdvancedWatcherTest, TheProgramsOwnWindowsAreNeverLocked) {
  startWith({"chkLockInstall"});
  auto own = sim.desktop.createWindow("Windows Task Manager - Setup", "Windows Task Manager");
  sim.desktop.setOwnWindow(own, true);
  tick();
  EXPECT_FALSE(locked(own));
  EXPECT_EQ(prompt(), nullptr) << "neither the title nor the class of an own window asks for anything";
}

TEST_F(AdvancedWatcherTest, TheRightPasswordReleasesThatWindowForAsLongAsItLives) {
  startWith({"DisableDownloads"});
  auto w = sim.desktop.createWindow("File Download - Security Warning", "#32770");
  tick();
  ASSERT_TRUE(locked(w));
  typePassword("openbox");
  EXPECT_FALSE(locked(w));
  sim.desktop.bringToFront(w);
  for (int i = 0; i < 4; ++i) tick();
  EXPECT_FALSE(locked(w)) << "the release outlives the next ticks";
  EXPECT_EQ(prompt(), nullptr);
  auto other = sim.desktop.createWindow("File Download", "#32770");
  tick();
  EXPECT_TRUE(locked(other)) << "the release is for that window only";
}

TEST_F(AdvancedWatcherTest, NamesAreCaseSensitive) {
  startWith({"DisableDownloads"});
  auto w = sim.desktop.createWindow("file download", "#32770");
  tick();
  EXPECT_FALSE(locked(w));
}

TEST_F(AdvancedWatcherTest, BrowserClassesAreLockedInTheBackground) {
  startWith({"LockFF"});
  auto browser = sim.desktop.createWindow("Start Page", "MozillaUIWindowClass");
  sim.desktop.createWindow("In front", "Other");
  tick();
  EXPECT_TRUE(locked(browser));
}

TEST_F(AdvancedWatcherTest, InstallersAreAskedForButNeverHidden) {
  startWith({"LockInstall"});
  auto other = sim.desktop.createWindow("Earlier window", "Other");
  auto installer = sim.desktop.createWindow("Product Setup", "Wizard");
  tick();
  EXPECT_FALSE(sim.desktop.isHidden(installer));
  EXPECT_FALSE(sim.desktop.isMinimised(installer));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Restrictions [installer]");
  typePassword("openbox");
  ASSERT_NE(prompt(), nullptr) << "stays open until Cancel";
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_TRUE(sim.desktop.isWindow(installer));
  EXPECT_TRUE(sim.desktop.isWindow(other));
  auto next = sim.desktop.createWindow("Another Installer", "Wizard");
  tick();
  EXPECT_EQ(prompt(), nullptr) << "installations stay permitted for the run";
  EXPECT_FALSE(locked(next));
}

// Today's Task Manager (Windows 8 to 11), in front by its title and behind
// others by its class.
TEST_F(AdvancedWatcherTest, TodaysTaskManagerIsLockedByItsTitleAndItsClass) {
  start();
  auto behind = sim.desktop.createWindow("Task Manager", "TaskManagerWindow");
  sim.desktop.createWindow("In front", "Other");
  tick();
  EXPECT_TRUE(locked(behind));
  auto front = sim.desktop.createWindow("Task Manager", "SomeOtherClass");
  tick();
  EXPECT_TRUE(locked(front));
}

// Once installations are permitted, an installer's title in front must not
// switch the other locks off: "Setup - Task Manager" is still the Task
// Manager, and a browser behind it is still locked.
TEST_F(AdvancedWatcherTest, APermittedInstallerInFrontStopsNoOtherLock) {
  startWith({"LockInstall", "LockFF"});
  sim.desktop.createWindow("Product Setup", "Wizard");
  tick();
  typePassword("openbox");
  prompt()->cmdCancelPWD.click();
  app().collect();
  ASSERT_TRUE(subsystems().advancedWatcher.InstallationsUnlocked());

  auto browser = sim.desktop.createWindow("Start Page", "OpWindow");
  auto disguised = sim.desktop.createWindow("Setup - Task Manager", "Disguise");
  tick();
  EXPECT_TRUE(locked(disguised)) << "the installer's word in the title switched the Task Manager lock off";
  EXPECT_TRUE(locked(browser)) << "the installer in front switched the background locks off";
}

TEST_F(AdvancedWatcherTest, TheLaunchersWindowAsksForTheConfigurationEveryTick) {
  start();
  auto launcher = sim.desktop.createWindow("Password Required [TSR]", "Launcher");
  sim.desktop.setForeground(0);
  tick();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Configuration Tool");
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_TRUE(sim.desktop.isWindow(launcher)) << "Cancel closes no window";
  tick();
  ASSERT_NE(prompt(), nullptr) << "asked again while the launcher is open";
  typePassword("openbox");
  EXPECT_TRUE(config().visible());
  sim.desktop.destroyWindow(launcher);
  tick();
  EXPECT_EQ(prompt(), nullptr);
}

TEST_F(AdvancedWatcherTest, UntickedLocksWatchNothing) {
  setString(Root::Machine, keys::Settings, "TaskManager", "0");
  start();
  auto w = sim.desktop.createWindow("Windows Task Manager", "TaskManagerWindow");
  tick();
  EXPECT_FALSE(locked(w));
  EXPECT_EQ(prompt(), nullptr);
}

TEST_F(AdvancedWatcherTest, WhileADialogIsOpenWindowsAreHiddenWithoutAPrompt) {
  start();
  session().DialogOpen = true;
  auto w = sim.desktop.createWindow("Windows Task Manager", "TaskManagerWindow");
  tick();
  EXPECT_TRUE(locked(w));
  EXPECT_EQ(prompt(), nullptr);
}

// The built-in locks know their programs by file.
class BuiltInProgramLockTest : public AppTest {
 protected:
  void tick() { sim.clock.advance(500); }
  bool hidden(platform::WindowHandle w) { return sim.desktop.isHidden(w) || sim.desktop.isMinimised(w); }
};

TEST_F(BuiltInProgramLockTest, TaskManagerFirefoxOperaAndInternetExplorerAreKnownByTheirFiles) {
  for (const char* flag : {"LockFF", "LockIE"}) setString(Root::Machine, keys::Settings, flag, "1");
  start();
  struct Case {
    const char* file;
    Action action;
  };
  std::uint32_t id = 70;
  for (const Case& c : {Case{"TASKMGR.EXE", Action::AdvancedLock}, Case{"firefox.exe", Action::AdvancedLock},
                        Case{"Opera.exe", Action::AdvancedLock}, Case{"iexplore.exe", Action::InternetExplorer}}) {
    ++id;
    sim.desktop.startProcess(id, id, c.file);
    const auto w = sim.desktop.createWindow("A page", "Chrome_WidgetWin_1");
    sim.desktop.setWindowProcess(w, id);
    tick();
    EXPECT_TRUE(hidden(w)) << c.file;
    EXPECT_EQ(pending().PendingAction, c.action) << c.file;
    EXPECT_EQ(pending().PendingWindow, w) << c.file;
    sim.desktop.destroyWindow(w);
    if (prompt()) prompt()->cmdCancelPWD.click();
    app().collect();
  }
  ++id;
  sim.desktop.startProcess(id, id, "chrome.exe");
  const auto chrome = sim.desktop.createWindow("A page", "Chrome_WidgetWin_1");
  sim.desktop.setWindowProcess(chrome, id);
  tick();
  EXPECT_FALSE(hidden(chrome));
}

}  // namespace
}  // namespace tessara::testing
