// Program entries: task names that name a program file, the lookup of a
// window's program kept per process, and the built-in locks that know their
// programs by file.
#include "tessara7/locking/program_entries.h"
#include "tessara7/settings/store_keys.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

TEST(ProgramEntryTest, OnlyANameEndingInExeWithThreeCharactersBeforeItNamesAProgram) {
  for (const char* name : {"notepad.exe", "NOTEPAD.EXE", "Tsk.Exe", "\xCE\xA9\xCE\xA9\xCE\xA9.exe", "a b.exe"})
    EXPECT_TRUE(isProgramEntry(name)) << name;
  for (const char* name : {"ab.exe", "\xCE\xA9\xCE\xA9.exe", ".exe", "notepad.exe ", "notepad.ex", "notepad.exe.txt",
                           "notepad", "notepad exe", ""})
    EXPECT_FALSE(isProgramEntry(name)) << name;
}

TEST(ProgramEntryTest, TheFileOrItsOriginalNameMatchesWithoutRegardToCase) {
  const platform::ProgramFile renamed{"pad2.exe", "NOTEPAD.EXE"};
  EXPECT_TRUE(namesProgram("notepad.exe", renamed));
  EXPECT_TRUE(namesProgram("Pad2.EXE", renamed));
  EXPECT_FALSE(namesProgram("pad.exe", renamed)) << "whole names only";
  EXPECT_FALSE(namesProgram("notepad.exe", {"notepad.exe.bak", ""}));
  EXPECT_FALSE(namesProgram("", {"", ""})) << "an unreadable process matches nothing by accident";
  EXPECT_TRUE(namesProgram("\xC3\x89" "diteur.exe", {"\xC3\xA9" "DITEUR.exe", ""}));
  EXPECT_TRUE(namesProgram("taskmgr.exe", {"tm.exe", "Taskmgr.exe.mui"})) << "Windows' own programs";
  EXPECT_FALSE(namesProgram("taskmgr.exe.mui", {"tm.exe", "Taskmgr.exe.mui"}));
}

class ProgramLookupTest : public ::testing::Test {
 protected:
  platform::sim::SimDesktop desktop;
  ProgramLookup lookup{desktop};
};

TEST_F(ProgramLookupTest, TheFileIsReadOncePerProcessAndAfreshForAProcessThatReusesTheId) {
  desktop.startProcess(40, 1000, "notepad.exe", "NOTEPAD.EXE");
  const auto first = desktop.createWindow("Untitled - Notepad", "Notepad");
  const auto second = desktop.createWindow("notes - Notepad", "Notepad");
  desktop.setWindowProcess(first, 40);
  desktop.setWindowProcess(second, 40);
  for (int tick = 0; tick < 50; ++tick) {
    ASSERT_TRUE(lookup.of(first));
    ASSERT_TRUE(lookup.of(second));
  }
  EXPECT_EQ(desktop.programFileReads(), 1);
  EXPECT_EQ(lookup.of(first)->file->originalName, "NOTEPAD.EXE");

  // The process ends and another one gets its id (and, under Wine, its window handle).
  desktop.startProcess(40, 2000, "calc.exe");
  const auto found = lookup.of(second);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->file->fileName, "calc.exe");
  EXPECT_EQ(found->process, (platform::ProcessKey{40, 2000}));
  EXPECT_EQ(desktop.programFileReads(), 2);

  desktop.endProcess(40);
  EXPECT_FALSE(lookup.of(first)) << "a window whose process is gone has no program";
  EXPECT_FALSE(lookup.of(desktop.createWindow("orphan", "X"))) << "a window without a process";
}

TEST_F(ProgramLookupTest, TheCacheForgetsEndedProcessesWhenItGrows) {
  const auto w = desktop.createWindow("w", "W");
  for (std::uint32_t id = 1; id <= ProgramLookup::PruneAbove + 10; ++id) {
    desktop.startProcess(id, id, "p" + std::to_string(id) + ".exe");
    desktop.setWindowProcess(w, id);
    ASSERT_TRUE(lookup.of(w));
    desktop.endProcess(id);
  }
  EXPECT_LE(lookup.cached(), 11u);
}

// Program entries in the running program: the lock list's entries against
// windows whose processes the simulated desktop knows.
class ProgramEntryLockTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    config().lockList.clear();
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
  void tick() { sim.clock.advance(500); }
  bool locked(platform::WindowHandle w) { return sim.desktop.isHidden(w) && sim.desktop.isMinimised(w); }
  void release() {
    typePassword("openbox");
    app().collect();
  }
};

TEST_F(ProgramEntryLockTest, AProgramEntryLocksItsWindowsWhateverTheTitleAndCatchesARenamedCopy) {
  config().lockList.append("Notepad.EXE", true, false);
  const auto retitled = window("Shopping list", 40);
  tick();
  EXPECT_TRUE(locked(retitled));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Shopping list") << "the prompt shows the title";
  EXPECT_EQ(state().PendingProcess, (platform::ProcessKey{40, 1000}));
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
  config().lockList.append("Shopping", true, false);
  const auto w = window("Untitled", 40);
  config().lockList.append("notepad.exe", false, false);
  for (int i = 0; i < 4; ++i) tick();
  EXPECT_FALSE(locked(w));
  EXPECT_LE(sim.desktop.programFileReads(), 1) << "one read for the process, not one a tick";

  config().lstProgram.setChecked(1, true);
  config().ignoreList.add("Untitled");
  tick();
  EXPECT_FALSE(locked(w)) << "an ignored title is left alone";
  config().ignoreList.clear();
  tick();
  EXPECT_TRUE(locked(w));
}

// A released program's windows stay released while the process has one; the
// window handle and the process id alone carry nothing to a later process.
TEST_F(ProgramEntryLockTest, AReleaseCoversTheProcessUntilItsWindowsCloseAndNoLaterProcess) {
  config().lockList.append("notepad.exe", true, false);
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
  EXPECT_EQ(state().PendingProcess, (platform::ProcessKey{40, 5000}));
}

TEST_F(ProgramEntryLockTest, TheHeldWindowOfAProgramIsHiddenAgainUntilItsProcessIsReleased) {
  config().lockList.append("notepad.exe", true, false);
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
    EXPECT_EQ(state().PendingAction, c.action) << c.file;
    EXPECT_EQ(state().PendingWindow, w) << c.file;
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
