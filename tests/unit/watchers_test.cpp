// The two watchers alone, without the configuration window: their ticks over
// the simulated desktop, with the lists they read and the guard they hand
// locked windows to on a small page of their own. The prompt is what they ask
// of their host; a test answers it by running the request's `granted`. (With
// the whole program around them: foreground_watcher_test.cpp,
// advanced_watcher_test.cpp.)
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "forms/form.h"
#include "platform/sim/sim_platform.h"
#include "shared/names.h"
#include "tessara7/locking/advanced_watcher.h"
#include "tessara7/locking/foreground_watcher.h"
#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/locking/releases.h"
#include "tessara7/settings/registry_access.h"
#include "tests/unit/held_window_checks.h"

namespace tessara::testing {
namespace {

class WatchedPage : public forms::Form {
 public:
  explicit WatchedPage(forms::Runtime& runtime) : Form(runtime, "frmConfig", "Configuration") {}
  forms::TabControl SSTab1{*this, "SSTab1", {"Access"}};
  forms::TextBox txtTask{*this, "txtTask"};
  forms::Button cmdAdd{*this, "cmdAdd", "Lock"};
  forms::Button cmdDel{*this, "cmdDel", "Delete"};
  forms::CheckList lstProgram{*this, "lstProgram"};
  forms::ListBox lstignore{*this, "lstignore"};
  forms::ListBox lstAllow{*this, "lstAllow"};
  forms::ListBox lstUnlockedWin{*this, "lstUnlockedWin"};
  forms::ListBox lstHiddenProgram{*this, "lstHiddenProgram"};
  forms::Timer tmrGuard{*this, "tmrGuard", LockGuard::CloseIntervalMs, false};
};

// The prompt as a granted operation sees it.
struct Prompt : PromptFace {
  void hide() override { hidden = true; }
  platform::WindowHandle owner() const override { return 0; }
  void say(const std::string& text) override { said = text; }
  bool takeIgnoreTick() override { return std::exchange(ignoreTicked, false); }
  bool hidden = false;
  bool ignoreTicked = false;
  std::string said;
};

class WatchersTest : public ::testing::Test,
                     public ForegroundWatcher::Host,
                     public AdvancedWatcher::Host,
                     public LockGuard::Host,
                     public LockList::Host,
                     public IgnoreList::Host,
                     public HeldWindowChecks {
 protected:
  WatchersTest() : HeldWindowChecks(sim) {}

  void requestPassword(PasswordRequest request) override { asked.push_back(std::move(request)); }
  void requestConfiguration(std::optional<std::string> title) override { configurationAsked.push_back(*title); }
  LockGuard& lockGuard() override { return guard; }
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  bool promptAsksForAnother(platform::WindowHandle) const override { return false; }
  platform::WindowHandle watchedForeground() const override { return foreground.capture().ForegroundWindow; }
  bool computerLocked() const override { return false; }
  bool keepComputerLockInPlace() override { return false; }
  bool askConfigPassword() override { return false; }
  void showTaskPicker() override {}
  void showIgnoreWindow() override {}

  void tick() {
    foreground.timerTessara_Timer();
    advanced.tmradv_Timer();
  }
  // The right password for the last request.
  void grantLast() {
    ASSERT_FALSE(asked.empty());
    asked.back().granted({"openbox", prompt});
  }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  WatchedPage page{runtime};
  RegistryAccess registry{sim.registry};
  LockList lockList{*this, {page, page.SSTab1, 0, page.txtTask, page.cmdAdd, page.cmdDel, page.lstProgram}};
  IgnoreList ignoreList{*this, registry, page.lstignore};
  Releases releases{page.lstAllow, page.lstUnlockedWin};
  ProgramLookup programs{sim.desktop};
  LockGuard guard{*this, {page.tmrGuard, [this] { tick(); }, sim.clock, sim.desktop, releases}};
  ForegroundWatcher foreground{*this, {sim.desktop, programs, lockList, releases, ignoreList}};
  AdvancedWatcher advanced{
      *this, {page.lstHiddenProgram, sim.desktop, programs, releases, foreground.capture()}};
  std::vector<PasswordRequest> asked;
  std::vector<std::string> configurationAsked;
  std::vector<std::string> notices;
  Prompt prompt;
};

TEST_F(WatchersTest, AListedTitleIsLockedAndHeldUntilThePasswordReleasesItsClass) {
  lockList.append("Notepad", true, false);
  const auto first = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_TRUE(locked(first));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, Action::ListedWindow);
  EXPECT_EQ(asked[0].window, first);
  EXPECT_EQ(asked[0].item, "Notepad");
  EXPECT_EQ(guard.heldCount(), 1u);

  grantLast();
  EXPECT_FALSE(locked(first));
  EXPECT_EQ(guard.heldCount(), 0u);
  const auto second = sim.desktop.createWindow("notes.txt - Notepad", "Notepad");
  tick();
  EXPECT_FALSE(locked(second)) << "its class is released";
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(page.lstAllow.items(), std::vector<std::string>{"Notepad"});
}

TEST_F(WatchersTest, IgnoreInFutureSparesTheTitleEvenAfterTheReleasesAreReset) {
  lockList.append("Notepad", true, false);
  const auto pad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  prompt.ignoreTicked = true;
  grantLast();
  EXPECT_TRUE(prompt.hidden);
  EXPECT_TRUE(ignoreList.ignores("Untitled - Notepad"));
  EXPECT_EQ(notices, std::vector<std::string>{"Untitled - Notepad will be ignored in future. See 'Ignore List' "
                                              "under Help topics for more details."});
  releases.mnuResetLocks_Click();
  sim.desktop.bringToFront(pad);
  tick();
  EXPECT_FALSE(locked(pad));
  EXPECT_EQ(asked.size(), 1u);
}

// Internet Explorer is known by its program file too, and the password lifts
// the lock until a load or Apply hands the locks over again.
TEST_F(WatchersTest, AWholeProgramLockIsLiftedByThePasswordUntilTheNextLoad) {
  const WholeProgramLocks loaded{
      .LockInternetExplorer = true, .InternetExplorerFiles = {"iexplore.exe"}, .LockWindowsExplorer = false};
  foreground.take(loaded);
  sim.desktop.startProcess(50, 500, "IEXPLORE.EXE");
  const auto ie = sim.desktop.createWindow("A page", "Chrome_WidgetWin_1");
  sim.desktop.setWindowProcess(ie, 50);
  tick();
  EXPECT_TRUE(sim.desktop.isMinimised(ie));
  EXPECT_FALSE(sim.desktop.isHidden(ie)) << "minimised only";
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, Action::InternetExplorer);
  EXPECT_EQ(asked[0].window, ie);

  grantLast();
  EXPECT_FALSE(foreground.wholeProgramLocks().LockInternetExplorer);
  EXPECT_FALSE(sim.desktop.isMinimised(ie));
  sim.desktop.bringToFront(ie);
  tick();
  EXPECT_EQ(asked.size(), 1u);
  foreground.take(loaded);
  tick();
  EXPECT_EQ(asked.size(), 2u);
}

// The advanced watcher looks at the front the foreground watcher captured,
// not at the desktop: a window that came to the front since is not seen yet.
TEST_F(WatchersTest, TheAdvancedWatcherLocksWhatTheForegroundWatcherSawAndPermitsInstallers) {
  advanced.addImplicitLocks({"Task Manager", "Setup"});
  const auto taskManager = sim.desktop.createWindow("Task Manager", "SomeClass");
  advanced.tmradv_Timer();
  EXPECT_FALSE(locked(taskManager));
  tick();
  EXPECT_TRUE(locked(taskManager));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, Action::AdvancedLock);

  const auto installer = sim.desktop.createWindow("Product Setup", "Wizard");
  tick();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].action, Action::Installation);
  EXPECT_FALSE(sim.desktop.isHidden(installer) || sim.desktop.isMinimised(installer));
  grantLast();
  EXPECT_TRUE(advanced.InstallationsUnlocked());
  EXPECT_EQ(prompt.said, "All Installations are permitted [click Cancel]");
  tick();
  EXPECT_EQ(asked.size(), 2u) << "installations stay permitted";

  sim.desktop.createWindow(names::LauncherTitle, "Launcher");
  tick();
  EXPECT_EQ(configurationAsked, std::vector<std::string>{"Configuration Tool"});
}

}  // namespace
}  // namespace tessara::testing
