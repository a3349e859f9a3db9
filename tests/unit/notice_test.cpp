// The notice window and its protocol built alone on the simulated platform:
// one window whose text a new notice replaces, its answers, and its Update
// button. (A handler's error becoming a notice: startup_test.cpp.)
#include "tessara7/shell/notice.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/sim/sim_platform.h"

namespace tessara {
namespace {

using platform::Root;

class NoticeTest : public ::testing::Test {
 protected:
  AppState& state() { return state_; }
  std::string getString(Root root, const std::string& key, const std::string& name) {
    auto value = sim.registry.read(root, key, name);
    return value && value->type == platform::ValueType::String ? value->text : "<absent>";
  }

  // What "let pending events run" does while the notice waits.
  std::function<void()> doEventsScript;

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  AppState state_;
  RegistryAccess registry{sim.registry};
  Notice notice{{runtime, state_, sim.shell, registry,
                 [this] {
                   if (doEventsScript) doEventsScript();
                   sim.clock.advance(10);
                 },
                 [] { return false; }}};
};

TEST_F(NoticeTest, ANewNoticeReplacesTheTextInTheOneWindow) {
  notice.show("First");
  FrmError* first = notice.open();
  notice.show("Second\rline");
  EXPECT_EQ(notice.open(), first);
  sim.clock.advance(100);
  EXPECT_EQ(first->Label1.caption(), "Second\nline");
  EXPECT_EQ(first->caption(), "Message:");
  EXPECT_FALSE(first->cmdupdate.visible());
  EXPECT_EQ(first->lblprogramname.caption(), "Tessara 7");
}

TEST_F(NoticeTest, LabelFollowsTheTextWhileOpen) {
  notice.show("Before");
  state().NoticeText = "After";
  sim.clock.advance(100);
  EXPECT_EQ(notice.open()->Label1.caption(), "After");
}

TEST_F(NoticeTest, OkAndCancelAnswerAndEmptyTheText) {
  doEventsScript = [this] { notice.open()->cmdok.click(); };
  EXPECT_EQ(notice.ask("Proceed?"), "ok");
  EXPECT_EQ(state().NoticeText, "");
  EXPECT_EQ(state().NoticeAnswer, "") << "the asker empties the answer";
  notice.collect();
  doEventsScript = [this] { notice.open()->cmdCancel.click(); };
  EXPECT_EQ(notice.ask("Proceed?"), "cancel");
}

TEST_F(NoticeTest, CloseBoxLeavesTextAndAnswerAlone) {
  doEventsScript = [this] { notice.open()->close(forms::CloseReason::User); };
  EXPECT_EQ(notice.ask("Proceed?"), "");
  EXPECT_EQ(state().NoticeText, "Proceed?");
}

TEST_F(NoticeTest, UpdateOpensTheWebPageAndRemembersIt) {
  notice.show("The help file is out-of-date");
  notice.open()->cmdupdate.setVisible(true);
  notice.open()->cmdupdate.click();
  ASSERT_EQ(sim.shell.executed().size(), 1u);
  EXPECT_EQ(sim.shell.executed()[0].verb, "open");
  EXPECT_NE(sim.shell.executed()[0].file.find("/update.html"), std::string::npos);
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR", "Help"), "1");
  EXPECT_NE(notice.open(), nullptr);
}

}  // namespace
}  // namespace tessara
