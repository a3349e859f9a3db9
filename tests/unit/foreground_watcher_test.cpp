// The foreground watcher's tick against the simulated desktop.
#include "tests/unit/app_fixture.h"
#include "tessara7/locking/lock_guard.h"
#include "tests/unit/held_window_checks.h"

namespace tessara::testing {
namespace {

class ForegroundWatcherTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    subsystems().lockList.clear();
  }
  void lockEntry(const std::string& text, bool ticked = true) { subsystems().lockList.append(text, ticked, false); }
  void tick() { sim.clock.advance(500); }
  bool locked(platform::WindowHandle w) { return sim.desktop.isHidden(w) && sim.desktop.isMinimised(w); }
  void release() {
    typePassword("openbox");
    app().collect();
  }
};

TEST_F(ForegroundWatcherTest, TickedEntryLocksAWindowWhoseTitleHoldsIt) {
  lockEntry("Notepad");
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_TRUE(locked(w));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Untitled - Notepad");
  EXPECT_EQ(pending().PendingAction, Action::ListedWindow);
  EXPECT_EQ(pending().PendingWindow, w);
  EXPECT_EQ(pending().PendingItem, "Notepad");
}

// A task name that a window of the program's own holds ("Restrictions", the
// prompt's caption, or any piece of it) would lock the very prompt that ends
// every lock: the program's windows are never locked.
TEST_F(ForegroundWatcherTest, TheProgramsOwnWindowsAreNeverLocked) {
  lockEntry("ions");
  lockEntry("Tessara 7");
  auto other = sim.desktop.createWindow("Permissions", "Dialog");
  tick();
  ASSERT_TRUE(locked(other)) << "another program's window with the name is locked";
  ASSERT_NE(prompt(), nullptr);
  for (const char* title : {"Restrictions", "Tessara 7", "Message:"}) {
    auto own = sim.desktop.createWindow(title, "Tessara.frmPassword");
    sim.desktop.setOwnWindow(own, true);
    tick();
    EXPECT_FALSE(sim.desktop.isHidden(own) || sim.desktop.isMinimised(own)) << title;
    EXPECT_EQ(pending().PendingWindow, other) << "the prompt still guards the other window";
  }
}

TEST_F(ForegroundWatcherTest, MatchIsCaseSensitiveAndNeedsATick) {
  lockEntry("notepad");
  lockEntry("Notepad", false);
  lockEntry("");
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_FALSE(locked(w));
  EXPECT_EQ(prompt(), nullptr);
}

TEST_F(ForegroundWatcherTest, ATickChangeTakesEffectAtTheNextTick) {
  lockEntry("Notepad", false);
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_FALSE(locked(w));
  config().lstProgram.setChecked(0, true);
  tick();
  EXPECT_TRUE(locked(w));
}

TEST_F(ForegroundWatcherTest, ReleaseCoversTheClassUntilItsLastWindowCloses) {
  lockEntry("Notepad");
  auto first = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  release();
  EXPECT_FALSE(locked(first));
  auto second = sim.desktop.createWindow("notes.txt - Notepad", "Notepad");
  tick();
  EXPECT_FALSE(locked(second)) << "released while a window of the class exists";
  sim.desktop.destroyWindow(first);
  tick();
  EXPECT_FALSE(locked(second));
  sim.desktop.destroyWindow(second);
  tick();
  EXPECT_EQ(config().lstAllow.count(), 0) << "pruned once the last window went";
  auto third = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_TRUE(locked(third));
}

TEST_F(ForegroundWatcherTest, ResetLocksLocksAReleasedWindowAgainAtTheNextTick) {
  lockEntry("Notepad");
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  release();
  sim.desktop.bringToFront(w);
  tick();
  EXPECT_FALSE(locked(w));
  config().mnuResetLocks.click();
  tick();
  EXPECT_TRUE(locked(w));
}

TEST_F(ForegroundWatcherTest, PruningRemovesEveryVanishedClassInOneTick) {
  for (const char* windowClass : {"Gone1", "Alive", "Gone2", ""}) subsystems().releases.releaseClass(windowClass, "Title");
  sim.desktop.createWindow("x", "Alive", 0);
  tick();
  EXPECT_EQ(config().lstAllow.items(), std::vector<std::string>{"Alive"});
}

TEST_F(ForegroundWatcherTest, HandleReleasesLastWhileTheirWindowLives) {
  auto w = sim.desktop.createWindow("File Download", "#32770");
  subsystems().releases.releaseWindow(w);
  tick();
  tick();
  EXPECT_EQ(config().lstAllow.items(), std::vector<std::string>{std::to_string(w)});
  sim.desktop.destroyWindow(w);
  tick();
  EXPECT_EQ(config().lstAllow.count(), 0);
}

TEST_F(ForegroundWatcherTest, IgnoredTitleIsSparedOnlyWhenExactlyEqual) {
  lockEntry("Notepad");
  subsystems().ignoreList.add("Untitled - Notepad");
  auto spared = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_FALSE(locked(spared));
  auto other = sim.desktop.createWindow("Untitled - Notepad!", "Notepad");
  tick();
  EXPECT_TRUE(locked(other));
}

TEST_F(ForegroundWatcherTest, WhileADialogIsOpenTheWindowIsStillHiddenButNotPrompted) {
  lockEntry("Notepad");
  session().DialogOpen = true;
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_TRUE(locked(w));
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(pending().PendingWindow, w);
}

TEST_F(ForegroundWatcherTest, InternetExplorerIsMinimisedEvenInTheBackground) {
  wholeProgramLocks().LockInternetExplorer = true;
  auto ie = sim.desktop.createWindow("Home - Internet Explorer", "IEFrame");
  sim.desktop.createWindow("Something else", "Other");
  tick();
  EXPECT_TRUE(sim.desktop.isMinimised(ie));
  EXPECT_FALSE(sim.desktop.isHidden(ie)) << "minimised only";
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Internet Explorer");
  release();
  EXPECT_FALSE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_FALSE(sim.desktop.isMinimised(ie));
  tick();
  EXPECT_EQ(prompt(), nullptr) << "stays released until the next load";
}

TEST_F(ForegroundWatcherTest, WindowsExplorerFallsBackToTheCabinetClass) {
  wholeProgramLocks().LockWindowsExplorer = true;
  auto cabinet = sim.desktop.createWindow("Documents", "CabinetWClass");
  tick();
  EXPECT_TRUE(sim.desktop.isMinimised(cabinet));
  EXPECT_EQ(pending().PendingAction, Action::WindowsExplorer);
  EXPECT_EQ(pending().PendingWindow, cabinet);
}

TEST_F(ForegroundWatcherTest, TheLastLockOfATickSetsWhatThePromptGuards) {
  lockEntry("Notepad");
  wholeProgramLocks().LockInternetExplorer = true;
  wholeProgramLocks().LockWindowsExplorer = true;
  auto ie = sim.desktop.createWindow("Home", "IEFrame");
  auto ex = sim.desktop.createWindow("Documents", "ExploreWClass");
  auto pad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_TRUE(locked(pad));
  EXPECT_TRUE(sim.desktop.isMinimised(ie));
  EXPECT_EQ(pending().PendingAction, Action::WindowsExplorer);
  EXPECT_EQ(pending().PendingWindow, ex);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Windows Explorer");
}

TEST_F(ForegroundWatcherTest, AFailingTickBecomesANoticeAndTheNextTickRuns) {
  lockEntry("Notepad");
  int calls = 0;
  const auto original = config().timerTessara.onTimer;
  config().timerTessara.onTimer = [&] {
    if (++calls == 1) throw std::runtime_error("Overflow");
    original();
  };
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  tick();
  EXPECT_EQ(noticeText(), "Overflow");
  tick();
  EXPECT_TRUE(locked(w));
}

TEST_F(ForegroundWatcherTest, NoForegroundWindowLocksNothing) {
  lockEntry("Notepad");
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.desktop.setForeground(0);
  tick();
  EXPECT_FALSE(locked(w));
}

// Program entries in the running program: the lock list's entries against
// windows whose processes the simulated desktop knows.
class ProgramEntryLockTest : public ForegroundWatcherTest {
 protected:
  void SetUp() override {
    ForegroundWatcherTest::SetUp();
    sim.desktop.startProcess(40, 1000, "notepad.exe", "NOTEPAD.EXE");
    sim.desktop.startProcess(41, 1100, "pad2.exe", "NOTEPAD.EXE");
    sim.desktop.startProcess(42, 1200, "NotePad.exe", "", false);  // its file cannot be read
    sim.desktop.startProcess(43, 1300, "calc.exe", "CALC.EXE");
  }
  platform::WindowHandle window(const char* title, std::uint32_t process, const char* windowClass = "Notepad") {
    const auto w = sim.desktop.createWindow(title, windowClass);
    sim.desktop.setWindowProcess(w, process);
    return w;
  }
};

TEST_F(ProgramEntryLockTest, AProgramEntryLocksItsWindowsWhateverTheTitleAndCatchesARenamedCopy) {
  subsystems().lockList.append("Notepad.EXE", true, false);
  const auto retitled = window("Shopping list", 40);
  tick();
  EXPECT_TRUE(locked(retitled));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Shopping list") << "the prompt shows the title";
  EXPECT_EQ(pending().PendingProcess, (platform::ProcessKey{40, 1000}));
  release();

  for (auto [title, process] : {std::pair{"Copy", 41u}, std::pair{"Unreadable", 42u}}) {
    const auto w = window(title, process);
    tick();
    EXPECT_TRUE(locked(w)) << title;
    release();
  }
  const auto other = window("Notepad.EXE - readme", 43, "Calc");
  tick();
  EXPECT_TRUE(locked(other)) << "the entry still matches titles as every task name does";
  release();
  const auto calc = window("Calculator", 43, "CalcFrame");
  tick();
  EXPECT_FALSE(locked(calc));
}

TEST_F(ProgramEntryLockTest, UntickedOrIgnoredProgramEntriesLockNothing) {
  subsystems().lockList.append("Shopping", true, false);
  const auto w = window("Untitled", 40);
  subsystems().lockList.append("notepad.exe", false, false);
  for (int i = 0; i < 4; ++i) tick();
  EXPECT_FALSE(locked(w));
  EXPECT_LE(sim.desktop.programFileReads(), 1) << "one read for the process, not one a tick";

  config().lstProgram.setChecked(1, true);
  subsystems().ignoreList.add("Untitled");
  tick();
  EXPECT_FALSE(locked(w)) << "an ignored title is left alone";
  subsystems().ignoreList.clear();
  tick();
  EXPECT_TRUE(locked(w));
}

// A released program's windows stay released while the process has one; the
// window handle and the process id alone carry nothing to a later process.
TEST_F(ProgramEntryLockTest, AReleaseCoversTheProcessUntilItsWindowsCloseAndNoLaterProcess) {
  subsystems().lockList.append("notepad.exe", true, false);
  const auto first = window("Untitled", 40, "Edit1");
  tick();
  release();
  EXPECT_FALSE(locked(first));
  const auto second = window("Other", 40, "Edit2");
  tick();
  EXPECT_FALSE(locked(second)) << "another window of the released process";
  const auto copy = window("Copy", 41, "Edit1");
  tick();
  EXPECT_TRUE(locked(copy)) << "the window class releases nothing for a program entry";
  release();

  // Notepad ends, and a new one starts with the same id and (as Wine does) the same handle.
  sim.desktop.destroyWindow(second);
  sim.desktop.startProcess(40, 5000, "notepad.exe", "NOTEPAD.EXE");
  tick();
  sim.desktop.bringToFront(first);
  tick();
  EXPECT_TRUE(locked(first)) << "a new process inherits no release";
  EXPECT_EQ(pending().PendingProcess, (platform::ProcessKey{40, 5000}));
}

TEST_F(ProgramEntryLockTest, TheHeldWindowOfAProgramIsHiddenAgainUntilItsProcessIsReleased) {
  subsystems().lockList.append("notepad.exe", true, false);
  const auto w = window("Untitled", 40);
  tick();
  ASSERT_TRUE(locked(w));
  sim.desktop.showWindowAsync(w, platform::SwShow);
  sim.clock.advance(20);
  EXPECT_TRUE(sim.desktop.isHidden(w)) << "the guard hides it again at once";
  release();
  sim.desktop.showWindowAsync(w, platform::SwShow);
  sim.clock.advance(200);
  EXPECT_FALSE(sim.desktop.isHidden(w));
}

// The lock guard with the watchers and the prompt around it (the guard
// alone: lock_guard_test.cpp): the right password ends a hold and the quick
// checks, a window that appears is locked once it comes to the front, and
// one that comes back while a dialog is open is hidden without a prompt.
// What the guard promises them is in held_window_checks.h.
class LockGuardWithWatchersTest : public AppTest, public HeldWindowChecks {
 protected:
  LockGuardWithWatchersTest() : HeldWindowChecks(sim) {}
  void SetUp() override {
    start();
    subsystems().lockList.clear();
    subsystems().lockList.append("Notepad", true, false);
  }
  LockGuard& guard() { return subsystems().lockGuard; }
};

TEST_F(LockGuardWithWatchersTest, TheRightPasswordEndsTheHoldAndTheChecksStop) {
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  typePassword("openbox");
  EXPECT_FALSE(sim.desktop.isHidden(notepad));
  EXPECT_EQ(guard().heldCount(), 0u);
  sim.clock.advance(kCloseSpellMs + 500);
  EXPECT_FALSE(sim.desktop.isHidden(notepad)) << "a released window is left alone";
  EXPECT_FALSE(config().tmrGuard.running()) << "nothing left to watch";
  EXPECT_EQ(sim.clock.runningTimers(), 4u) << "only the watchers', the command runner's and the protector's ticks wake the program";
}

// A window that appears (its creation is reported) may come to the front a
// little later; the guard watches the front closely meanwhile instead of
// waiting for the next tick.
TEST_F(LockGuardWithWatchersTest, AnAppearedWindowIsLockedAsSoonAsItComesToTheFront) {
  sim.clock.advance(250);  // mid-way between two ticks
  auto plain = sim.desktop.createWindow("Untitled - Notepad", "PlainWindow", 0);
  guard().windowAppeared();
  sim.clock.advance(100);
  sim.desktop.showWindowAsync(plain, platform::SwShow);
  sim.desktop.bringToFront(plain);
  EXPECT_LE(msUntilHidden(plain), kCloseIntervalMs);
  EXPECT_TRUE(locked(plain));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(pending().PendingWindow, plain);
}

TEST_F(LockGuardWithWatchersTest, WhileADialogIsOpenAWindowThatComesBackIsHiddenWithoutAPrompt) {
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  sim.desktop.setRefusesClose(notepad, true);
  prompt()->cmdCancelPWD.click();  // asks Notepad to close; it refuses (unsaved text)
  app().collect();
  ASSERT_EQ(prompt(), nullptr);
  ASSERT_EQ(sim.desktop.closeRequests(), std::vector<platform::WindowHandle>{notepad});
  session().DialogOpen = true;
  showsItself(notepad);
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_TRUE(sim.desktop.isHidden(notepad));
  EXPECT_EQ(prompt(), nullptr);
  session().DialogOpen = false;
  showsItself(notepad);
  sim.clock.advance(kHoldIntervalMs);
  EXPECT_TRUE(sim.desktop.isHidden(notepad));
  ASSERT_NE(prompt(), nullptr) << "with nothing else asked, the prompt asks for it again";
  EXPECT_EQ(pending().PendingWindow, notepad);
}

}  // namespace
}  // namespace tessara::testing
