// The task picker "Select a Task to Lock" and the "Ignore List" window against
// the simulated desktop: what is listed, what reaches the lock list, and what
// a removal does to the store and to the watcher.
#include <algorithm>

#include "tests/unit/app_fixture.h"
#include "tessara7/locking/frm_ignore.h"
#include "tessara7/locking/frm_lock.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/frm_input.h"

namespace tessara::testing {
namespace {

using platform::StyleBorder;
using platform::StyleVisible;
using Titles = std::vector<std::string>;

class TaskPickerTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
    config().lstProgram.clear();
  }
  FrmLock* picker() { return app().openLock(); }
  FrmLock& openPicker() {
    config().cmdSelect.click();
    EXPECT_NE(picker(), nullptr);
    return *picker();
  }
  void highlight(const std::string& title) {
    const auto& items = picker()->lstWindows.items();
    const auto found = std::find(items.begin(), items.end(), title);
    ASSERT_NE(found, items.end()) << title << " is not listed";
    picker()->lstWindows.userSelect(static_cast<int>(found - items.begin()));
  }
  // Answers the "Edit Task" box, once it is up, as the user would.
  void answerEditBox(std::optional<std::string> text) {
    doEventsScript = [this, text] {
      FrmInput* box = app().openInput();
      if (!box || !box->visible()) return;
      asked = {box->caption(), box->lblPrompt.caption(), box->txtInput.text()};
      if (!text) return box->cmdCancel.click();
      box->txtInput.userSetText(*text);
      box->cmdOK.click();
    };
  }
  Titles asked;  // the box's title, prompt and suggested text
};

TEST_F(TaskPickerTest, ListsVisibleBorderedTitledWindowsTopmostFirstButNotTheProgramsOwn) {
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.desktop.createWindow("Hidden", "X", StyleBorder);
  sim.desktop.createWindow("Borderless", "X", StyleVisible);
  sim.desktop.createWindow("", "X");
  sim.desktop.createWindow("Tessara 7", "X");
  sim.desktop.createWindow("About Tessara", "X");
  sim.desktop.createWindow("tessara notes.txt - Notepad", "Notepad");  // the filter minds the case
  sim.desktop.createWindow("Карта — Ω 日本", "X");
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");

  FrmLock& shown = openPicker();
  EXPECT_EQ(shown.caption(), "Select a Task to Lock");
  EXPECT_EQ(shown.lblTask.caption(), "Running tasks:");
  EXPECT_EQ(shown.lstWindows.items(), (Titles{"Untitled - Notepad", "Карта — Ω 日本", "tessara notes.txt - Notepad",
                                              "Untitled - Notepad"}));
  // The picker's own window is left out by its handle, whatever its title.
  const auto self = sim.desktop.createWindow("Select a Task to Lock", "X");
  EXPECT_EQ(sim.desktop.titledWindows(StyleVisible | StyleBorder, self).size(), 6u);
  sim.desktop.destroyWindow(self);

  // A window opened later shows after Refresh, a click on the background, or a minute.
  const auto later = sim.desktop.createWindow("Calculator", "X");
  shown.cmdRefresh.click();
  EXPECT_EQ(shown.lstWindows.item(0), "Calculator");
  sim.desktop.destroyWindow(later);
  shown.mouseDown();
  EXPECT_EQ(shown.lstWindows.count(), 4);
  sim.desktop.createWindow("Paint", "X");
  sim.clock.advance(59000);
  EXPECT_EQ(shown.lstWindows.count(), 4);
  sim.clock.advance(1000);
  EXPECT_EQ(shown.lstWindows.item(0), "Paint");
}

TEST_F(TaskPickerTest, LockAppendsTheHighlightedTitleTickedAndHighlightedAndClosesThePicker) {
  config().lstProgram.addItem("Paint", false);
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.desktop.createWindow("Document - WordPad", "WordPad");
  FrmLock& shown = openPicker();
  shown.cmdSelect.click();  // nothing highlighted
  EXPECT_EQ(picker(), &shown);
  EXPECT_EQ(config().lstProgram.count(), 1);

  highlight("Untitled - Notepad");
  shown.cmdSelect.click();
  EXPECT_EQ(picker(), nullptr);
  ASSERT_EQ(config().lstProgram.count(), 2);
  EXPECT_EQ(config().lstProgram.item(1), "Untitled - Notepad");
  EXPECT_TRUE(config().lstProgram.checked(1));
  EXPECT_EQ(config().lstProgram.listIndex(), 1);
  EXPECT_EQ(config().lblStatus.caption().rfind("Locked programs and windows: 1 of 2\n", 0), 0u)
      << config().lblStatus.caption();

  app().collect();
  openPicker();
  highlight("Document - WordPad");
  picker()->lstWindows.dblClick();
  EXPECT_EQ(picker(), nullptr);
  EXPECT_EQ(config().lstProgram.item(2), "Document - WordPad");
  EXPECT_TRUE(config().lstProgram.checked(2));
}

TEST_F(TaskPickerTest, EditAppendsTheEditedNameUntickedWhileCancelOrNothingKeepsThePickerOpen) {
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  FrmLock& shown = openPicker();
  highlight("Untitled - Notepad");

  answerEditBox(std::nullopt);
  shown.cmdEdit.click();
  EXPECT_EQ(asked, (Titles{"Edit Task", "Edit task name:", "Untitled - Notepad"}));
  EXPECT_EQ(picker(), &shown);
  answerEditBox("");
  shown.cmdEdit.click();
  EXPECT_EQ(picker(), &shown);
  EXPECT_EQ(config().lstProgram.count(), 0);

  answerEditBox("Notepad");
  shown.cmdEdit.click();
  EXPECT_EQ(picker(), nullptr);
  ASSERT_EQ(config().lstProgram.count(), 1);
  EXPECT_EQ(config().lstProgram.item(0), "Notepad");
  EXPECT_FALSE(config().lstProgram.checked(0));
}

TEST_F(TaskPickerTest, CancellingThePickerClosesItsEditBoxAndAddsNothing) {
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  FrmLock& shown = openPicker();
  highlight("Untitled - Notepad");
  doEventsScript = [this] {
    if (picker()) picker()->cmdCancel.click();
  };
  shown.cmdEdit.click();
  EXPECT_EQ(picker(), nullptr);
  EXPECT_EQ(app().openInput(), nullptr);
  EXPECT_EQ(config().lstProgram.count(), 0);
}

TEST_F(TaskPickerTest, AFullLockListRefusesThePickedTitleWithTheNoticeOfTypingIt) {
  for (int i = 0; i < keys::kLockRowsRead; ++i) config().lstProgram.addItem("Task " + std::to_string(i));
  sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  openPicker();
  highlight("Untitled - Notepad");
  picker()->cmdSelect.click();
  EXPECT_EQ(config().lstProgram.count(), keys::kLockRowsRead);
  EXPECT_EQ(noticeText(), "The list holds at most 999 task names. Remove one before adding another.");
  EXPECT_NE(picker(), nullptr) << "nothing was taken, so the picker stays";
}

TEST_F(TaskPickerTest, HowToLockATaskExplainsInTheNotice) {
  openPicker().cmdwebpage.click();
  EXPECT_EQ(noticeText(),
            "Open the program or web browser you want to lock with a password (for web browser, open it  on "
            "the page you want locked), then, switch back here, click Refresh and select it from the list.");
}

class IgnoreListWindowTest : public AppTest {
 protected:
  FrmIgnore* window() { return app().openIgnore(); }
  Titles stored() {
    Titles values;
    for (const auto& name : sim.registry.valueNames(Root::Machine, keys::Ignore))
      values.push_back(name + "=" + getString(Root::Machine, keys::Ignore, name));
    return values;
  }
};

TEST_F(IgnoreListWindowTest, RemoveRewritesTheStoreAndTheWatcherLocksTheTitleAgain) {
  setString(Root::Machine, keys::Ignore, "Program0", "Untitled - Notepad");
  setString(Root::Machine, keys::Ignore, "Program2", "Document - WordPad");
  start();
  unlock();
  config().lstProgram.clear();
  config().lstProgram.addItem("Notepad", true);

  config().cmdIgnore.click();
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(window()->caption(), "Ignore List");
  EXPECT_EQ(window()->CancelButton.caption(), "Remove");
  EXPECT_EQ(window()->List1.items(), (Titles{"Untitled - Notepad", "Document - WordPad"}));

  window()->CancelButton.click();  // nothing highlighted
  EXPECT_EQ(noticeText(), "<no notice>");
  EXPECT_EQ(stored(), (Titles{"Program0=Untitled - Notepad", "Program2=Document - WordPad"}));

  window()->List1.userSelect(0);
  window()->CancelButton.click();
  EXPECT_EQ(noticeText(), "Setting takes effect on restart, or, upon logoff.");
  EXPECT_EQ(stored(), (Titles{"Program0=Document - WordPad"}));
  EXPECT_EQ(config().lstignore.items(), (Titles{"Document - WordPad"}));
  const auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  EXPECT_TRUE(sim.desktop.isHidden(notepad)) << "no longer ignored";
  ASSERT_NE(prompt(), nullptr);

  // Removing the last title leaves the key, empty; OK closes the window.
  window()->List1.userSelect(0);
  window()->CancelButton.click();
  EXPECT_TRUE(sim.registry.keyExists(Root::Machine, keys::Ignore));
  EXPECT_EQ(stored(), Titles{});
  window()->OKButton.click();
  EXPECT_EQ(window(), nullptr);

  // Apply does not write a removed title back.
  app().collect();
  config().cmdok.click();
  EXPECT_EQ(stored(), Titles{});
}

TEST_F(IgnoreListWindowTest, TheSettingsMenuOpensTheSameWindowAfreshFromTheStore) {
  start();
  config().mignore.click();
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(window()->List1.count(), 0);
  window()->OKButton.click();
  setString(Root::Machine, keys::Ignore, "Program7", "Calculator");
  app().collect();
  config().mignore.click();
  EXPECT_EQ(window()->List1.items(), Titles{"Calculator"});
}

}  // namespace
}  // namespace tessara::testing
