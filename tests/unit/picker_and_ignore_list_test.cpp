// The task picker and the "Ignore List" window against the simulated desktop:
// what is listed and when, what the picker's edits do to the lock list, and
// what a removal does to the store and to the watcher's list. (The whole
// paths with real windows are in tests/e2e/picker_test.cpp.)
#include <algorithm>

#include "tests/unit/app_fixture.h"
#include "tessara7/locking/frm_ignore.h"
#include "tessara7/locking/frm_lock.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/frm_input.h"

namespace tessara::testing {
namespace {

using Titles = std::vector<std::string>;

class TaskPickerTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
    subsystems().lockList.clear();
  }
  FrmLock* picker() { return app().openLock(); }
  FrmLock& open() {
    config().cmdSelect.click();
    return *picker();
  }
  // Answers the "Edit Task" box as the user would: nothing is Cancel.
  void answerEditBox(std::optional<std::string> text) {
    doEventsScript = [this, text] {
      FrmInput* box = app().openInput();
      if (!box) return;
      asked = {box->caption(), box->lblPrompt.caption(), box->txtInput.text()};
      if (text) box->txtInput.userSetText(*text);
      (text ? box->cmdOK : box->cmdCancel).click();
    };
  }
  Titles asked;
};

TEST_F(TaskPickerTest, ListsVisibleBorderedTitledWindowsTopmostFirstButNotTheProgramsOwnAndRefreshes) {
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.desktop.createWindow("Hidden", "X", platform::StyleBorder);
  sim.desktop.createWindow("Borderless", "X", platform::StyleVisible);
  sim.desktop.createWindow("", "X");
  sim.desktop.createWindow("About Tessara", "X");
  sim.desktop.createWindow("tessara notes.txt - Notepad", "Notepad");  // the filter minds the case
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  FrmLock& shown = open();
  EXPECT_EQ(shown.lstWindows.items(), (Titles{"Untitled - Notepad", "tessara notes.txt - Notepad", "Untitled - Notepad"}));

  // A window opened later shows after Refresh, a click on the background, or a minute.
  const auto later = sim.desktop.createWindow("Calculator", "X");
  shown.cmdRefresh.click();
  EXPECT_EQ(shown.lstWindows.item(0), "Calculator");
  sim.desktop.destroyWindow(later);
  shown.mouseDown();
  EXPECT_EQ(shown.lstWindows.count(), 3);
  sim.desktop.createWindow("Paint", "X");
  sim.clock.advance(59000);
  EXPECT_EQ(shown.lstWindows.count(), 3);
  sim.clock.advance(1000);
  EXPECT_EQ(shown.lstWindows.item(0), "Paint");
}

// The picker shows each window's program; "Lock Program" adds the file name
// ticked (a window whose program cannot be read gives a notice instead), and
// "Edit..." still suggests the title alone.
TEST_F(TaskPickerTest, ShowsEachWindowsProgramAndLockProgramAddsItsFileName) {
  sim.desktop.startProcess(40, 1000, "pad2.exe", "NOTEPAD.EXE");
  const auto pad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.desktop.setWindowProcess(pad, 40);
  sim.desktop.createWindow("No process", "X");
  FrmLock& shown = open();
  EXPECT_EQ(shown.lstWindows.items(), (Titles{"No process", "Untitled - Notepad  (pad2.exe)"}));

  shown.lstWindows.userSelect(0);
  shown.cmdSelectProgram.click();
  EXPECT_EQ(noticeText(), "The program of \"No process\" cannot be read. Lock its title instead.");
  EXPECT_EQ(config().lstProgram.count(), 0);

  shown.lstWindows.userSelect(1);
  answerEditBox(std::nullopt);
  shown.cmdEdit.click();
  EXPECT_EQ(asked, (Titles{"Edit Task", "Edit task name:", "Untitled - Notepad"}));
  shown.cmdSelectProgram.click();
  EXPECT_EQ(picker(), nullptr);
  ASSERT_EQ(config().lstProgram.count(), 1);
  EXPECT_EQ(config().lstProgram.item(0), "pad2.exe");
  EXPECT_TRUE(config().lstProgram.checked(0));
}

TEST_F(TaskPickerTest, LockAndEditAddLikeTypingWhileNothingCancelOrAFullListKeepThePickerOpen) {
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  FrmLock& shown = open();
  shown.cmdSelect.click();  // nothing highlighted
  shown.lstWindows.userSelect(0);
  answerEditBox(std::nullopt);
  shown.cmdEdit.click();
  EXPECT_EQ(asked, (Titles{"Edit Task", "Edit task name:", "Untitled - Notepad"}));
  answerEditBox("");
  shown.cmdEdit.click();
  EXPECT_EQ(picker(), &shown);
  EXPECT_EQ(config().lstProgram.count(), 0);

  // A double click locks as "Lock!" does: ticked, highlighted, and the picker goes.
  shown.lstWindows.dblClick();
  EXPECT_EQ(picker(), nullptr);
  ASSERT_EQ(config().lstProgram.count(), 1);
  EXPECT_TRUE(config().lstProgram.checked(0));
  EXPECT_EQ(config().lstProgram.listIndex(), 0);

  // A full list refuses a picked title with the notice of typing one.
  for (int i = 1; i < keys::kLockRowsRead; ++i) subsystems().lockList.append("Task " + std::to_string(i), false, false);
  app().collect();
  open().lstWindows.userSelect(0);
  answerEditBox("Notepad");
  picker()->cmdEdit.click();
  EXPECT_EQ(config().lstProgram.count(), keys::kLockRowsRead);
  EXPECT_EQ(noticeText(), "The list holds at most 999 task names. Remove one before adding another.");
  ASSERT_NE(picker(), nullptr);
  picker()->cmdwebpage.click();
  EXPECT_EQ(noticeText(),
            "Open the program or web browser you want to lock with a password (for web browser, open it  on "
            "the page you want locked), then, switch back here, click Refresh and select it from the list.");
}

class IgnoreListWindowTest : public AppTest {};

TEST_F(IgnoreListWindowTest, RemoveRewritesTheStoreAndTheWatchersListSoApplyKeepsItOut) {
  setString(Root::Machine, keys::Ignore, "Program0", "Untitled - Notepad");
  start();
  config().mignore.click();
  FrmIgnore* window = app().openIgnore();
  ASSERT_NE(window, nullptr);
  window->CancelButton.click();  // nothing highlighted: no notice, no rewrite
  EXPECT_EQ(noticeText(), "<no notice>");
  window->List1.userSelect(0);
  window->CancelButton.click();
  EXPECT_EQ(noticeText(), "Setting takes effect on restart, or, upon logoff.");
  EXPECT_TRUE(sim.registry.keyExists(Root::Machine, keys::Ignore)) << "the only title removed: the key stays";
  EXPECT_EQ(sim.registry.valueNames(Root::Machine, keys::Ignore), Titles{});
  EXPECT_EQ(config().lstignore.count(), 0);
  subsystems().ignoreList.add("Other");
  config().cmdok.click();
  EXPECT_EQ(sim.registry.valueNames(Root::Machine, keys::Ignore), Titles{"Program0"});
  EXPECT_EQ(getString(Root::Machine, keys::Ignore, "Program0"), "Other");
}

}  // namespace
}  // namespace tessara::testing
