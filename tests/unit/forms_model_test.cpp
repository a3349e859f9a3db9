// The forms model without any view: the semantics the programs' windows
// rely on (handlers, ticks, option groups, tabs, timers, life cycle).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/control_id.h"
#include "forms/form.h"

namespace {

// Timers that fire only when the test says so.
class FakeClock final : public platform::Clock {
 public:
  platform::TimerId startTimer(std::uint32_t intervalMs, std::function<void()> onTick) override {
    timers_[next_] = {intervalMs, std::move(onTick)};
    return next_++;
  }
  void stopTimer(platform::TimerId id) override { timers_.erase(id); }
  std::uint64_t nowMs() override { return 0; }
  std::int64_t wallSeconds() override { return 0; }

  std::size_t running() const { return timers_.size(); }
  std::uint32_t intervalOfOnly() const { return timers_.size() == 1 ? timers_.begin()->second.interval : 0; }
  void fireAll() {
    auto copy = timers_;
    for (auto& [id, timer] : copy) timer.onTick();
  }

 private:
  struct Entry {
    std::uint32_t interval;
    std::function<void()> onTick;
  };
  std::map<platform::TimerId, Entry> timers_;
  platform::TimerId next_ = 1;
};

class SampleForm : public forms::Form {
 public:
  explicit SampleForm(forms::Runtime& runtime) : Form(runtime, "frmSample", "Sample") {
    OptA.place({}, -1, &fraGroup);
    OptB.place({}, -1, &fraGroup);
    chkInFrame.place({}, -1, &fraGroup);
  }
  forms::Frame fraGroup{*this, "fraGroup", "Group"};
  forms::OptionButton OptA{*this, "OptA", "A"};
  forms::OptionButton OptB{*this, "OptB", "B"};
  forms::OptionButton OptOutside{*this, "OptOutside", "Outside"};
  forms::CheckBox chkInFrame{*this, "chkInFrame", "In frame"};
  forms::CheckBox chkLockStart{*this, "chkLockStart", "Lock"};
  forms::TabControl SSTab1{*this, "SSTab1", {"One", "Two", "Debug"}};
  forms::Timer tmrTick{*this, "tmrTick", 500, true};
  forms::ListBox lstAllow{*this, "lstAllow"};
  forms::CheckList lstProgram{*this, "lstProgram"};
};

class FormsModel : public ::testing::Test {
 protected:
  FakeClock clock;
  std::vector<std::string> errors;
  forms::Runtime runtime{clock, nullptr, [this](const std::string& e) { errors.push_back(e); }, {}};
  SampleForm form{runtime};
};

TEST_F(FormsModel, CheckBoxValueRunsClickOnlyOnChange) {
  int clicks = 0;
  form.chkLockStart.onClick = [&] { ++clicks; };
  form.chkLockStart.setValue(1);
  form.chkLockStart.setValue(1);
  EXPECT_EQ(clicks, 1);
  form.chkLockStart.setValue(0);
  EXPECT_EQ(clicks, 2);
  form.chkLockStart.click();
  EXPECT_EQ(form.chkLockStart.value(), 1);
  EXPECT_EQ(clicks, 3);
}

TEST_F(FormsModel, DisabledFrameBlocksTheUsersClick) {
  form.fraGroup.setEnabled(false);
  EXPECT_FALSE(form.chkInFrame.effectivelyEnabled());
  EXPECT_TRUE(form.chkInFrame.enabled());
  form.chkInFrame.click();
  EXPECT_EQ(form.chkInFrame.value(), 0);
  form.chkInFrame.setValue(1);  // code still may
  EXPECT_EQ(form.chkInFrame.value(), 1);
}

TEST_F(FormsModel, MenuTickRunsNothing) {
  auto& menu = form.addMenu("mnuOptions", "Options");
  auto& item = menu.add("chkTaskManager", "Lock Task Manager");
  int clicks = 0;
  item.onClick = [&] { ++clicks; };
  item.setChecked(true);
  EXPECT_TRUE(item.checked());
  EXPECT_EQ(clicks, 0);
  item.click();
  EXPECT_EQ(clicks, 1);
  item.setEnabled(false);
  item.click();
  EXPECT_EQ(clicks, 1) << "a greyed item does not run";
  EXPECT_EQ(form.findMenu(item.id()), &item);
  EXPECT_EQ(form.findMenu("chkTaskManager"), &item);
}

TEST_F(FormsModel, AMenuFindsItsItemsByNameAtAnyDepthAndPlacesOneAfterItsOwnItem) {
  auto& menu = form.addMenu("mnuTools", "Tools");
  auto& first = menu.add("mnuFirst", "First");
  auto& last = menu.add("mnuLast", "Last");
  auto& nested = last.add("mnuNested", "Nested");
  EXPECT_EQ(menu.find("mnuNested"), &nested);
  EXPECT_EQ(menu.find("mnuTools"), &menu);
  EXPECT_EQ(first.find("mnuNested"), nullptr) << "only beneath the item asked";

  auto& middle = menu.insertAfter(first, "mnuMiddle", "Middle");
  auto& end = menu.insertAfter(last, "mnuEnd", "End");
  std::vector<std::string> order;
  for (const auto& item : menu.items()) order.push_back(item->name());
  EXPECT_EQ(order, (std::vector<std::string>{"mnuFirst", "mnuMiddle", "mnuLast", "mnuEnd"}));
  EXPECT_EQ(middle.caption(), "Middle");
  EXPECT_EQ(form.findMenu(end.id()), &end);
  EXPECT_THROW(menu.insertAfter(nested, "mnuLost", "Lost"), std::logic_error) << "not an item of this menu";
  EXPECT_EQ(menu.items().size(), 4u);
}

TEST_F(FormsModel, OptionButtonsOfOneFrameExcludeEachOther) {
  int clicksA = 0, clicksB = 0;
  form.OptA.onClick = [&] { ++clicksA; };
  form.OptB.onClick = [&] { ++clicksB; };
  form.OptOutside.select();
  form.OptA.select();
  EXPECT_TRUE(form.OptA.value());
  EXPECT_EQ(clicksA, 1);
  form.OptA.select();
  EXPECT_EQ(clicksA, 1) << "selecting the selected option runs nothing";

  form.OptB.select();
  EXPECT_TRUE(form.OptB.value());
  EXPECT_FALSE(form.OptA.value());
  EXPECT_TRUE(form.OptOutside.value()) << "another frame is another group";
  EXPECT_EQ(clicksB, 1);
}

TEST_F(FormsModel, TabControlRefusesSwitchedOffTab) {
  int clicks = 0;
  form.SSTab1.onClick = [&] { ++clicks; };
  form.SSTab1.setTabEnabled(2, false);
  form.SSTab1.setTab(2);
  EXPECT_EQ(form.SSTab1.tab(), 0);
  form.SSTab1.userSelect(2);
  EXPECT_EQ(form.SSTab1.tab(), 0);
  EXPECT_EQ(clicks, 0);
  form.SSTab1.userSelect(1);
  EXPECT_EQ(form.SSTab1.tab(), 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_THROW(form.SSTab1.setTab(7), std::out_of_range);
}

TEST_F(FormsModel, TimerTicksOnlyWhileLoadedAndRunning) {
  int ticks = 0;
  form.tmrTick.onTimer = [&] { ++ticks; };
  EXPECT_EQ(clock.running(), 0u) << "not before the form loads";
  form.tmrTick.tick();
  EXPECT_EQ(ticks, 0);

  form.load();
  ASSERT_EQ(clock.running(), 1u);
  EXPECT_EQ(clock.intervalOfOnly(), 500u);
  clock.fireAll();
  EXPECT_EQ(ticks, 1);

  form.tmrTick.setRunning(false);
  EXPECT_EQ(clock.running(), 0u);
  form.tmrTick.tick();
  EXPECT_EQ(ticks, 1);
  form.tmrTick.setRunning(true);
  form.tmrTick.setInterval(30000);
  EXPECT_EQ(clock.intervalOfOnly(), 30000u);

  form.unload();
  EXPECT_EQ(clock.running(), 0u);
  form.tmrTick.tick();
  EXPECT_EQ(ticks, 1);
}

// Every tick wakes the program; a timer with no handler asks for none, and
// setting the interval it already has does not start it anew.
TEST_F(FormsModel, ATimerWithNothingToRunAsksTheClockForNothing) {
  form.load();
  EXPECT_TRUE(form.tmrTick.running());
  EXPECT_EQ(clock.running(), 0u);
  form.tmrTick.onTimer = [] {};
  form.tmrTick.setInterval(500);
  EXPECT_EQ(clock.running(), 0u) << "the same interval changes nothing";
  form.tmrTick.setInterval(250);
  EXPECT_EQ(clock.intervalOfOnly(), 250u);
}

TEST_F(FormsModel, UnloadRunsItsHandlersOnce) {
  std::vector<std::string> calls;
  form.onLoad = [&] { calls.push_back("load"); };
  form.onUnload = [&] { calls.push_back("unload"); };
  form.onTerminate = [&] { calls.push_back("terminate"); };
  form.onQueryUnload = [&](forms::CloseReason reason) {
    calls.push_back("query " + std::to_string(static_cast<int>(reason)));
  };
  form.show();
  EXPECT_TRUE(form.visible());
  form.close(forms::CloseReason::User);
  form.unload();
  form.load();
  EXPECT_EQ(calls, (std::vector<std::string>{"load", "query 0", "unload", "terminate"}));
  EXPECT_TRUE(form.unloaded());
  EXPECT_FALSE(form.visible());
}

TEST_F(FormsModel, HandlerErrorsGoToTheRuntime) {
  form.chkLockStart.onClick = [] { throw std::runtime_error("Path not found"); };
  form.chkLockStart.setValue(1);
  EXPECT_EQ(form.chkLockStart.value(), 1) << "the change stands";
  form.tmrTick.onTimer = [] { throw 5; };
  form.load();
  clock.fireAll();
  EXPECT_EQ(errors, (std::vector<std::string>{"Path not found", "Unexpected error"}));
}

TEST_F(FormsModel, ListIndexFollowsRemovals) {
  form.lstAllow.addItem("a");
  form.lstAllow.addItem("b");
  form.lstAllow.addItem("c");
  form.lstAllow.setListIndex(0);
  form.lstAllow.removeItem(2);
  EXPECT_EQ(form.lstAllow.listIndex(), 0);
  form.lstAllow.removeItem(0);
  EXPECT_EQ(form.lstAllow.listIndex(), -1);
  EXPECT_THROW(form.lstAllow.removeItem(5), std::out_of_range);

  // The highlighted last entry moves up when an entry above it goes.
  form.lstAllow.clear();
  for (const char* text : {"a", "b", "c"}) form.lstAllow.addItem(text);
  form.lstAllow.setListIndex(2);
  form.lstAllow.removeItem(1);
  EXPECT_EQ(form.lstAllow.listIndex(), 1);
  form.lstProgram.addItem("x");
  form.lstProgram.addItem("y");
  form.lstProgram.setListIndex(1);
  form.lstProgram.removeItem(0);
  EXPECT_EQ(form.lstProgram.listIndex(), 0);
  form.lstProgram.clear();
  EXPECT_THROW(form.lstAllow.setListIndex(3), std::out_of_range);

  std::vector<int> ticked;
  form.lstProgram.onItemCheck = [&](int index) { ticked.push_back(index); };
  form.lstProgram.addItem("Notepad", true);
  form.lstProgram.addItem("Calc");
  form.lstProgram.setChecked(1, true);
  form.lstProgram.setChecked(1, true);
  EXPECT_EQ(ticked, std::vector<int>{1});
  EXPECT_TRUE(form.lstProgram.checked(0));
}

class Counted : public forms::Form {
 public:
  Counted(forms::Runtime& runtime, int& alive) : Form(runtime, "frmCounted", "Counted"), alive_(alive) { ++alive_; }
  ~Counted() override { --alive_; }

 private:
  int& alive_;
};

TEST_F(FormsModel, FormSlotMakesFreshInstanceAfterUnload) {
  int alive = 0;
  forms::FormSlot<Counted> slot([&] { return std::make_unique<Counted>(runtime, alive); });
  EXPECT_EQ(slot.peek(), nullptr);
  Counted& first = slot.get();
  first.load();
  EXPECT_TRUE(slot.isLoaded());
  EXPECT_EQ(&slot.get(), &first);

  first.unload();
  EXPECT_EQ(slot.peek(), nullptr);
  Counted& second = slot.get();
  EXPECT_NE(&second, &first);
  EXPECT_EQ(alive, 2) << "the old one lives until collect()";
  EXPECT_FALSE(slot.isLoaded());
  slot.collect();
  EXPECT_EQ(alive, 1);
}

// A view that only notes what the model told it.
class RecordingView final : public forms::FormView {
 public:
  explicit RecordingView(std::vector<std::string>& log) : log_(log) {}
  void refresh(forms::Control& control, forms::Property what) override {
    log_.push_back(control.name() + (what == forms::Property::Items       ? ".items"
                                     : what == forms::Property::Selection ? ".selection"
                                     : what == forms::Property::Caption   ? ".caption"
                                                                          : ".other"));
  }
  void refreshMenu(forms::MenuItem&) override {}
  void refreshForm(forms::FormProperty) override {}
  platform::WindowHandle handle() const override { return 1; }
  bool reportsActivation() const override { return false; }
  void destroy() override {}
  void raise() override { log_.push_back("raise"); }
  void popupMenu(forms::MenuItem&) override {}

 private:
  std::vector<std::string>& log_;
};

class RecordingFactory final : public forms::ViewFactory {
 public:
  std::unique_ptr<forms::FormView> create(forms::Form&) override { return std::make_unique<RecordingView>(log); }
  std::vector<std::string> log;
};

TEST(FormsUpdateBatch, ListsReachTheViewOnceAtTheEndOfTheOutermostBatch) {
  FakeClock clock;
  RecordingFactory views;
  forms::Runtime runtime{clock, &views, {}, {}};
  SampleForm form(runtime);
  form.load();
  int itemChecks = 0;
  form.lstProgram.onItemCheck = [&](int) { ++itemChecks; };
  views.log.clear();
  {
    forms::UpdateBatch outer(form);
    {
      forms::UpdateBatch inner(form);
      form.lstAllow.clear();
      for (int i = 0; i < 100; ++i) form.lstAllow.addItem("Entry " + std::to_string(i));
      form.lstProgram.setEntries({{"Notepad", true}, {"Paint", false}});
      form.lstAllow.setListIndex(3);
      form.chkLockStart.setCaption("Now");
    }
    EXPECT_EQ(views.log, std::vector<std::string>{"chkLockStart.caption"}) << "held back until the outer batch ends";
  }
  EXPECT_EQ(views.log, (std::vector<std::string>{"chkLockStart.caption", "lstAllow.items", "lstProgram.items",
                                                 "lstAllow.selection"}));
  EXPECT_EQ(form.lstAllow.count(), 100);
  EXPECT_EQ(form.lstProgram.count(), 2);
  EXPECT_TRUE(form.lstProgram.checked(0));
  EXPECT_EQ(itemChecks, 0) << "setting the entries whole ticks them without the handler";
  views.log.clear();
  form.lstAllow.addItem("After");
  EXPECT_EQ(views.log, std::vector<std::string>{"lstAllow.items"}) << "outside a batch the view hears at once";
}

TEST(FormsControlId, TypicalNamesGetDistinctIdsInRange) {
  const std::vector<std::string> names = {
      "cmdok", "cmdCancel", "cmdApply", "chkLockStart", "chkContextMenu", "chkTaskManager", "lstProgram",
      "lstAllow", "lstUnlockedWin", "lstignore", "lstHiddenProgram", "lstFolders", "File1", "txtpassword",
      "txtPath", "Opt1", "Opt2", "OptAllUsers", "OptThisUser", "timerTessara", "tmradv", "Timer1",
      "tmrFileProtector", "tmrPassword", "SSTab1", "fraScope", "mnuFile", "mnuExit", "mhidecoffebreak",
      "mnuAdvanced", "mnuHelp", "mnuAbout", "lblTitle", "lblStatus", "cmdEncrypt", "cmdDecrypt"};
  std::set<int> ids;
  for (const auto& name : names) {
    const int id = forms::controlId(name);
    EXPECT_GE(id, 1000);
    EXPECT_LT(id, 0x10000) << "fits WM_COMMAND's 16 bits";
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), names.size());
  static_assert(forms::controlId("cmdok") == forms::controlId("cmdok"));
  EXPECT_NE(forms::controlId("cmdok"), forms::controlId("cmdOk")) << "names are case-sensitive";
}

}  // namespace
