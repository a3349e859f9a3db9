// The lock list alone, without the configuration window: its editing rules,
// the ticks the control reports, and its rows in the store.
#include "tessara7/locking/lock_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_clock.h"
#include "tessara7/common/text.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {
namespace {

using platform::Root;

class AccessPage : public forms::Form {
 public:
  explicit AccessPage(forms::Runtime& runtime) : Form(runtime, "frmAccess", "Access") {}
  forms::TabControl SSTab1{*this, "SSTab1", {"Access", "Other"}};
  forms::TextBox txtTask{*this, "txtTask"};
  forms::Button cmdAdd{*this, "cmdAdd", "Lock"};
  forms::Button cmdDel{*this, "cmdDel", "Delete"};
  forms::CheckList lstProgram{*this, "lstProgram"};
};

class LockListTest : public ::testing::Test, public LockList::Host {
 protected:
  // Wired as the configuration window wires its page.
  void SetUp() override {
    page.cmdAdd.onClick = [this] { list.cmdAdd_Click(); };
    page.cmdDel.onClick = [this] { list.cmdDel_Click(); };
    page.txtTask.onClick = [this] { list.txtTask_Click(); };
    page.lstProgram.onKeyDown = [this](int key) { list.lstProgram_KeyDown(key); };
    page.lstProgram.onItemCheck = [this](int index) { list.lstProgram_ItemCheck(index); };
    list.onChanged = [this] { ++changes; };
  }
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  bool askConfigPassword() override { return configLocked; }
  void showTaskPicker() override { ++pickers; }

  std::string noticeText() const { return notices.empty() ? "<no notice>" : notices.back(); }
  void add(const std::string& task) {
    page.txtTask.setText(task);
    page.cmdAdd.click();
  }
  std::vector<std::string> shown() const {
    std::vector<std::string> texts;
    for (const auto& entry : page.lstProgram.entries()) texts.push_back(entry.text + (entry.checked ? "+" : "-"));
    return texts;
  }

  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  AccessPage page{runtime};
  LockList list{*this, {page, page.SSTab1, 0, page.txtTask, page.cmdAdd, page.cmdDel, page.lstProgram}};
  platform::sim::SimRegistry sim;
  RegistryAccess registry{sim};
  std::vector<std::string> notices;
  bool configLocked = false;
  int pickers = 0;
  int changes = 0;
};

TEST_F(LockListTest, NamesShorterThanThreeCharactersAreRefused) {
  add("ab");
  EXPECT_EQ(page.lstProgram.count(), 0);
  EXPECT_EQ(noticeText(),
            "Please type a Task Name that's more than 2 characters. Or, click Browse to select from running "
            "tasks.");
  EXPECT_EQ(page.txtTask.text(), "ab");
  add("abc");
  ASSERT_EQ(page.lstProgram.count(), 1);
  EXPECT_EQ(page.lstProgram.item(0), "abc");
  EXPECT_FALSE(page.lstProgram.checked(0));
  EXPECT_EQ(page.lstProgram.listIndex(), 0);
  EXPECT_EQ(page.txtTask.text(), "");
}

// Three characters, not three bytes: letters outside ASCII take two to four
// bytes each in UTF-8.
TEST_F(LockListTest, TheMinimumCountsCharactersNotBytes) {
  for (const char* tooShort : {"中", "é中", "😀😀", "ab"}) {
    add(tooShort);
    EXPECT_EQ(page.lstProgram.count(), 0) << tooShort;
  }
  for (const char* longEnough : {"中文字", "😀😀😀", "éé\xff"}) add(longEnough);
  ASSERT_EQ(page.lstProgram.count(), 3);
  EXPECT_EQ(page.lstProgram.item(0), "中文字");
  EXPECT_EQ(page.lstProgram.item(1), "😀😀😀");
  EXPECT_EQ(page.lstProgram.item(2), "éé\xff");
  EXPECT_EQ(codePointCount("a\xe4\xb8"), 3u) << "each byte of a cut sequence is one character";
}

TEST_F(LockListTest, DuplicatesAreKeptAndRemovedOneAtATime) {
  add(" Notepad ");
  add(" Notepad ");
  EXPECT_EQ(page.lstProgram.count(), 2);
  EXPECT_EQ(page.lstProgram.item(0), " Notepad ") << "never trimmed";
  page.lstProgram.setListIndex(0);
  page.cmdDel.click();
  EXPECT_EQ(page.lstProgram.count(), 1);
  EXPECT_EQ(page.defaultButton(), &page.cmdDel);
  page.cmdDel.click();  // nothing highlighted: nothing removed, no notice
  EXPECT_EQ(page.lstProgram.count(), 1);
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(LockListTest, DeleteKeyRemovesTheHighlightedEntryOnly) {
  add("Notepad");
  add("Calculator");
  page.lstProgram.setListIndex(0);
  page.lstProgram.keyDown(45);  // Insert: nothing
  EXPECT_EQ(page.lstProgram.count(), 2);
  page.lstProgram.keyDown(46);
  ASSERT_EQ(page.lstProgram.count(), 1);
  EXPECT_EQ(page.lstProgram.item(0), "Calculator");
}

TEST_F(LockListTest, TheListStopsAtTheRowsTheLoaderReadsBack) {
  for (int i = 0; i < 999; ++i) list.append("Task " + std::to_string(i), false, false);
  add("One too many");
  EXPECT_EQ(page.lstProgram.count(), 999);
  EXPECT_NE(noticeText().find("999"), std::string::npos);
}

TEST_F(LockListTest, ClickingTheTaskBoxMakesLockTheDefaultButton) {
  page.txtTask.click();
  EXPECT_EQ(page.defaultButton(), &page.cmdAdd);
}

// The owner's whole task: names typed, one ticked in the control, one
// deleted, the list saved, and a fresh list loading exactly that back; what
// it locks follows the ticks, and the control always shows the entries.
TEST_F(LockListTest, EditedEntriesAndTheirTicksGoToTheStoreAndComeBack) {
  add("Notepad");
  add("Solitaire");
  add("Größe – Editor");
  page.lstProgram.setChecked(0, true);
  page.lstProgram.setChecked(2, true);
  EXPECT_TRUE(list.locks("Untitled - Notepad"));
  EXPECT_FALSE(list.locks("Solitaire")) << "unticked";
  page.lstProgram.setChecked(0, false);
  EXPECT_FALSE(list.locks("Untitled - Notepad")) << "a tick taken off in the control counts";
  page.lstProgram.setChecked(0, true);
  page.lstProgram.setListIndex(1);
  page.cmdDel.click();
  EXPECT_EQ(list.lockedCount(), 2);
  EXPECT_GE(changes, 6) << "every edit and tick is reported";
  EXPECT_TRUE(list.changedSinceLoad());

  list.save(registry, Root::Machine);
  LockList other{*this, {page, page.SSTab1, 0, page.txtTask, page.cmdAdd, page.cmdDel, page.lstProgram}};
  other.load(registry, Root::Machine);
  EXPECT_EQ(other.entries(), (std::vector<LockEntry>{{"Notepad", true}, {"Größe – Editor", true}}));
  EXPECT_EQ(shown(), (std::vector<std::string>{"Notepad+", "Größe – Editor+"}));
  EXPECT_FALSE(other.changedSinceLoad());
}

// A shorter list saved for one user takes that user's rows past its end
// away, and the machine's rows with them, so that nothing of an earlier list
// comes back; the administrator's list is never saved as the owner's.
TEST_F(LockListTest, SavingLeavesNoRowOfAnEarlierListAndNeverSavesTheManagedOne) {
  for (const char* task : {"One", "Two", "Three"}) list.append(task, true, false);
  list.save(registry, Root::User);
  list.save(registry, Root::Machine);
  list.remove(2);
  list.remove(0);
  list.save(registry, Root::User);
  EXPECT_EQ(loadLockRows(registry, Root::User), (std::vector<LockEntry>{{"Two", true}}));
  EXPECT_EQ(loadLockRows(registry, Root::Machine), std::vector<LockEntry>{});

  list.showManaged(std::vector<std::string>{"Policy Game"});
  EXPECT_TRUE(list.locks("Policy Game")) << "the administrator's list is the one in force";
  EXPECT_FALSE(page.lstProgram.enabled());
  list.save(registry, Root::User);
  EXPECT_EQ(loadLockRows(registry, Root::User), (std::vector<LockEntry>{{"Two", true}}));
}

TEST_F(LockListTest, RowsWithoutANameAreSkippedAndOnlyAZeroLeavesARowUnticked) {
  sim.writeString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Notepad");
  sim.writeString(Root::Machine, "SOFTWARE\\TSR\\Windows3", "Window", "Paint");
  sim.writeString(Root::Machine, "SOFTWARE\\TSR\\Windows3", "Enabled", "0");
  sim.writeString(Root::Machine, "SOFTWARE\\TSR\\Windows5", "Enabled", "1");
  sim.writeString(Root::Machine, "SOFTWARE\\TSR\\Windows999", "Window", "Past the last row read");
  list.load(registry, Root::Machine);
  EXPECT_EQ(list.entries(), (std::vector<LockEntry>{{"Notepad", true}, {"Paint", false}}));
}

}  // namespace
}  // namespace tessara
