// The notice window's protocol, the lock page's commands and the master
// password commands (the lock list's own rules: lock_list_test.cpp).
#include "tests/unit/app_fixture.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/password_hash.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::testing {
namespace {

class NoticeTest : public AppTest {
 protected:
  void SetUp() override { start(); }
};

TEST_F(NoticeTest, ANewNoticeReplacesTheTextInTheOneWindow) {
  app().showNotice("First");
  FrmError* first = app().openNotice();
  app().showNotice("Second\rline");
  EXPECT_EQ(app().openNotice(), first);
  sim.clock.advance(100);
  EXPECT_EQ(first->Label1.caption(), "Second\nline");
  EXPECT_EQ(first->caption(), "Message:");
  EXPECT_FALSE(first->cmdupdate.visible());
  EXPECT_EQ(first->lblprogramname.caption(), "Tessara 7");
}

TEST_F(NoticeTest, LabelFollowsTheTextWhileOpen) {
  app().showNotice("Before");
  state().NoticeText = "After";
  sim.clock.advance(100);
  EXPECT_EQ(app().openNotice()->Label1.caption(), "After");
}

TEST_F(NoticeTest, OkAndCancelAnswerAndEmptyTheText) {
  doEventsScript = [this] { app().openNotice()->cmdok.click(); };
  EXPECT_EQ(app().askNotice("Proceed?"), "ok");
  EXPECT_EQ(state().NoticeText, "");
  EXPECT_EQ(state().NoticeAnswer, "") << "the asker empties the answer";
  app().collect();
  doEventsScript = [this] { app().openNotice()->cmdCancel.click(); };
  EXPECT_EQ(app().askNotice("Proceed?"), "cancel");
}

TEST_F(NoticeTest, CloseBoxLeavesTextAndAnswerAlone) {
  doEventsScript = [this] { app().openNotice()->close(forms::CloseReason::User); };
  EXPECT_EQ(app().askNotice("Proceed?"), "");
  EXPECT_EQ(state().NoticeText, "Proceed?");
}

TEST_F(NoticeTest, UpdateOpensTheWebPageAndRemembersIt) {
  app().showNotice("The help file is out-of-date");
  app().openNotice()->cmdupdate.setVisible(true);
  app().openNotice()->cmdupdate.click();
  ASSERT_EQ(sim.shell.executed().size(), 1u);
  EXPECT_EQ(sim.shell.executed()[0].verb, "open");
  EXPECT_NE(sim.shell.executed()[0].file.find("/update.html"), std::string::npos);
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR", "Help"), "1");
  EXPECT_NE(app().openNotice(), nullptr);
}

TEST_F(NoticeTest, AHandlerErrorBecomesANotice) {
  config().cmdHome.onClick = [] { throw std::runtime_error("Subscript out of range"); };
  config().cmdHome.click();
  EXPECT_EQ(noticeText(), "Subscript out of range");
}

class LockPageTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
    subsystems().lockList.clear();
  }
};

TEST_F(LockPageTest, ResetLocksEmptiesBothReleaseLists) {
  subsystems().releases.releaseClass("Notepad", "Untitled - Notepad");
  config().mnuResetLocks.click();
  EXPECT_EQ(config().lstAllow.count(), 0);
  EXPECT_EQ(config().lstUnlockedWin.count(), 0);
}

TEST_F(LockPageTest, ProtectAProgramOpensTheLockPageOrAsksForThePassword) {
  config().cmdlockprogram.click();
  EXPECT_EQ(config().SSTab1.tab(), FrmConfig::PageAccess);
  EXPECT_EQ(config().focus(), &config().txtTask);
  state().ConfigUnlocked = false;
  config().cmdlockprogram.click();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(state().PendingAction, Action::Configuration);
}

class MasterPasswordTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
  }
  void setPassword(const std::string& text) {
    config().cmdpassword.click();
    config().txtsetpassword.setText(text);
    config().cmdsetpassword.click();
  }
};

TEST_F(MasterPasswordTest, NewPasswordIsStoredInSmallLettersUnderTheScopesRoot) {
  config().cmdpassword.click();
  EXPECT_FALSE(config().Label10.visible());
  EXPECT_TRUE(config().txtsetpassword.visible());
  config().txtsetpassword.setText("NewPass");
  config().cmdsetpassword.click();
  const std::string stored = getString(Root::Machine, keys::Password, "title2");
  EXPECT_TRUE(PasswordHash::isHash(stored)) << stored;
  EXPECT_TRUE(PasswordHash::matches("newpass", stored));
  EXPECT_FALSE(PasswordHash::matches("NewPass", stored)) << "the small letters are hashed";
  EXPECT_EQ(app().masterPassword().stored(), stored);
  EXPECT_EQ(getString(Root::User, keys::Password, "title2"), "<absent>");
  EXPECT_EQ(noticeText(), "Master password set.");
  EXPECT_TRUE(config().Label10.visible());
  EXPECT_FALSE(config().txtsetpassword.visible());
}

TEST_F(MasterPasswordTest, ThisUserScopeWritesUnderTheUsersRoot) {
  config().OptThisUser.click();
  setPassword("Mine");
  EXPECT_TRUE(PasswordHash::matches("mine", getString(Root::User, keys::Password, "title2")));
  EXPECT_EQ(getString(Root::Machine, keys::Password, "title2"), "<absent>");
}

TEST_F(MasterPasswordTest, AnEmptyNewPasswordKeepsTheOldOneWithoutANotice) {
  setPassword("");
  EXPECT_TRUE(app().masterPassword().check("openbox"));
  EXPECT_TRUE(app().masterPassword().isDefault());
  EXPECT_TRUE(PasswordHash::matches("openbox", getString(Root::Machine, keys::Password, "title2")))
      << "the unchanged password is written again, as its hash";
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(MasterPasswordTest, TheNewPasswordIsAcceptedInAnyCase) {
  setPassword("Secret");
  state().ConfigUnlocked = false;
  config().mconfig.click();
  typePassword("sEcReT");
  EXPECT_TRUE(state().ConfigUnlocked);
}

TEST_F(MasterPasswordTest, LockedCommandsAskForTheConfigurationPassword) {
  state().ConfigUnlocked = false;
  config().cmdpassword.click();
  EXPECT_FALSE(config().txtsetpassword.visible());
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(state().PendingAction, Action::Configuration);
}

}  // namespace
}  // namespace tessara::testing
