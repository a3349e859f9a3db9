// Program entries: task names that name a program file, and the lookup of a
// window's program kept per process. The watchers' tests lock windows by them.
#include "tessara7/locking/program_entries.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

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

}  // namespace
}  // namespace tessara::testing
