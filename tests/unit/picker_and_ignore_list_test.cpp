// The task picker and the "Ignore List" window, each built alone on the
// simulated platform with the list it edits: what is listed and when, what
// the picker's edits do to the lock list, and what a removal does to the
// store and to the watcher's list. (The whole paths with real windows are in
// tests/e2e/picker_test.cpp.)
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "tessara7/locking/frm_ignore.h"
#include "tessara7/locking/frm_lock.h"
#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/frm_input.h"

namespace tessara {
namespace {

using platform::Root;
using Titles = std::vector<std::string>;

// The controls of the "Access Control" page the lock list and the picker use.
class AccessPage : public forms::Form {
 public:
  explicit AccessPage(forms::Runtime& runtime) : Form(runtime, "frmAccess", "Access") {}
  forms::TabControl SSTab1{*this, "SSTab1", {"Access", "Other"}};
  forms::TextBox txtTask{*this, "txtTask"};
  forms::Button cmdAdd{*this, "cmdAdd", "Lock"};
  forms::Button cmdDel{*this, "cmdDel", "Delete"};
  forms::Button cmdSelect{*this, "cmdSelect", "Browse..."};
  forms::CheckList lstProgram{*this, "lstProgram"};
};

class TaskPickerTest : public ::testing::Test, public LockList::Host, public FrmLock::Host {
 protected:
  // Wired as the composition root wires the page's "Browse..." button.
  void SetUp() override {
    page.cmdSelect.onClick = [this] { lockList.cmdSelect_Click(); };
  }
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  bool askConfigPassword() override { return false; }  // the configuration is unlocked
  void showTaskPicker() override { pickers.get().show(); }
  // The program's own box, answered at once as the user would: nothing is Cancel.
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& suggested) override {
    FrmInput& box = inputs.get();
    box.ask(prompt, title, suggested);
    asked = {box.caption(), box.lblPrompt.caption(), box.txtInput.text()};
    if (editAnswer) box.txtInput.userSetText(*editAnswer);
    (editAnswer ? box.cmdOK : box.cmdCancel).click();
    return box.unloaded() ? box.answer() : std::nullopt;
  }
  void closeInputBox() override {
    if (FrmInput* box = inputs.peek()) box->cmdCancel_Click();
  }

  FrmLock* picker() { return pickers.peek(); }
  FrmLock& open() {
    page.cmdSelect.click();
    return *picker();
  }
  void answerEditBox(std::optional<std::string> text) { editAnswer = std::move(text); }
  std::string noticeText() const { return notices.empty() ? "<no notice>" : notices.back(); }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  AccessPage page{runtime};
  LockList lockList{*this, {page, page.SSTab1, 0, page.txtTask, page.cmdAdd, page.cmdDel, page.lstProgram}};
  ProgramLookup programs{sim.desktop};
  forms::FormSlot<FrmLock> pickers{
      [this] { return std::make_unique<FrmLock>(runtime, *this, lockList, sim.desktop, programs); }};
  forms::FormSlot<FrmInput> inputs{[this] { return std::make_unique<FrmInput>(runtime); }};
  std::optional<std::string> editAnswer;
  std::vector<std::string> notices;
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
  EXPECT_EQ(page.lstProgram.count(), 0);

  shown.lstWindows.userSelect(1);
  answerEditBox(std::nullopt);
  shown.cmdEdit.click();
  EXPECT_EQ(asked, (Titles{"Edit Task", "Edit task name:", "Untitled - Notepad"}));
  shown.cmdSelectProgram.click();
  EXPECT_EQ(picker(), nullptr);
  ASSERT_EQ(page.lstProgram.count(), 1);
  EXPECT_EQ(page.lstProgram.item(0), "pad2.exe");
  EXPECT_TRUE(page.lstProgram.checked(0));
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
  EXPECT_EQ(page.lstProgram.count(), 0);

  // A double click locks as "Lock!" does: ticked, highlighted, and the picker goes.
  shown.lstWindows.dblClick();
  EXPECT_EQ(picker(), nullptr);
  ASSERT_EQ(page.lstProgram.count(), 1);
  EXPECT_TRUE(page.lstProgram.checked(0));
  EXPECT_EQ(page.lstProgram.listIndex(), 0);

  // A full list refuses a picked title with the notice of typing one.
  for (int i = 1; i < keys::kLockRowsRead; ++i) lockList.append("Task " + std::to_string(i), false, false);
  pickers.collect();
  open().lstWindows.userSelect(0);
  answerEditBox("Notepad");
  picker()->cmdEdit.click();
  EXPECT_EQ(page.lstProgram.count(), keys::kLockRowsRead);
  EXPECT_EQ(noticeText(), "The list holds at most 999 task names. Remove one before adding another.");
  ASSERT_NE(picker(), nullptr);
  picker()->cmdwebpage.click();
  EXPECT_EQ(noticeText(),
            "Open the program or web browser you want to lock with a password (for web browser, open it  on "
            "the page you want locked), then, switch back here, click Refresh and select it from the list.");
}

// The page that shows the ignore list, with its menu command.
class DebugPage : public forms::Form {
 public:
  explicit DebugPage(forms::Runtime& runtime) : Form(runtime, "frmDebug", "Debug") {}
  forms::ListBox lstignore{*this, "lstignore"};
  forms::Button mignore{*this, "mignore", "Ignored Programs List..."};
};

class IgnoreListWindowTest : public ::testing::Test, public IgnoreList::Host, public FrmIgnore::Host {
 protected:
  void SetUp() override {
    page.mignore.onClick = [this] { ignoreList.cmdIgnore_Click(); };
  }
  void showIgnoreWindow() override { windows.get().show(); }
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }

  void setString(Root root, const std::string& key, const std::string& name, const std::string& text) {
    sim.registry.writeString(root, key, name, text);
  }
  std::string getString(Root root, const std::string& key, const std::string& name) {
    auto value = sim.registry.read(root, key, name);
    return value && value->type == platform::ValueType::String ? value->text : "<absent>";
  }
  std::string noticeText() const { return notices.empty() ? "<no notice>" : notices.back(); }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  DebugPage page{runtime};
  RegistryAccess registry{sim.registry};
  IgnoreList ignoreList{*this, registry, page.lstignore};
  forms::FormSlot<FrmIgnore> windows{[this] { return std::make_unique<FrmIgnore>(runtime, *this, ignoreList); }};
  std::vector<std::string> notices;
};

TEST_F(IgnoreListWindowTest, RemoveRewritesTheStoreAndTheWatchersListSoApplyKeepsItOut) {
  setString(Root::Machine, keys::Ignore, "Program0", "Untitled - Notepad");
  ignoreList.load();  // as the start does
  page.mignore.click();
  FrmIgnore* window = windows.peek();
  ASSERT_NE(window, nullptr);
  window->CancelButton.click();  // nothing highlighted: no notice, no rewrite
  EXPECT_EQ(noticeText(), "<no notice>");
  window->List1.userSelect(0);
  window->CancelButton.click();
  EXPECT_EQ(noticeText(), "Setting takes effect on restart, or, upon logoff.");
  EXPECT_TRUE(sim.registry.keyExists(Root::Machine, keys::Ignore)) << "the only title removed: the key stays";
  EXPECT_EQ(sim.registry.valueNames(Root::Machine, keys::Ignore), Titles{});
  EXPECT_EQ(page.lstignore.count(), 0);
  ignoreList.add("Other");
  ignoreList.store(false);  // what Apply writes of the list (apply_test.cpp)
  EXPECT_EQ(sim.registry.valueNames(Root::Machine, keys::Ignore), Titles{"Program0"});
  EXPECT_EQ(getString(Root::Machine, keys::Ignore, "Program0"), "Other");
}

}  // namespace
}  // namespace tessara
