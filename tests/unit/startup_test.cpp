// Start-up, the single-instance test, activation, the scope options and the
// window's life cycle.
#include "tests/unit/app_fixture.h"
#include <set>
#include "tessara7/settings/store_keys.h"
#include "shared/names.h"

namespace tessara::testing {
namespace {

class StartupTest : public AppTest {};

TEST_F(StartupTest, StartsHiddenWithItsTitleTrayIconAndTimers) {
  start();
  EXPECT_FALSE(app().ended());
  EXPECT_EQ(config().caption(), "Tessara 7");
  EXPECT_FALSE(config().visible());
  EXPECT_EQ(state().AppVersion, "7.1.3");
  EXPECT_EQ(state().AppFolder, "C:\\Program Files\\Tessara\\");
  EXPECT_EQ(config().lblsfile.caption(), "C:\\Program Files\\Tessara\\");
  ASSERT_EQ(tray.icons.size(), 1u);
  EXPECT_EQ(tray.icons.begin()->second, "Tessara 7 - 7.1.3");
  EXPECT_TRUE(config().timerTessara.running());
  EXPECT_EQ(config().timerTessara.interval(), 500u);
  EXPECT_EQ(config().tmradv.interval(), 500u);
  EXPECT_EQ(config().Timer1.interval(), 1000u);
  EXPECT_EQ(config().tmrFileProtector.interval(), 1000u);
  EXPECT_FALSE(config().tmrPassword.running());
  EXPECT_EQ(config().tmrPassword.interval(), 30000u);
  // The two watchers, the command runner and the file protector tick; the
  // lock guard waits for something to watch.
  EXPECT_TRUE(config().Timer1.running());
  EXPECT_TRUE(config().tmrFileProtector.running());
  EXPECT_FALSE(config().tmrGuard.running());
  EXPECT_EQ(sim.clock.runningTimers(), 4u);
  EXPECT_FALSE(config().mClearPassword.enabled());
  EXPECT_FALSE(config().chkC.enabled());
}

TEST_F(StartupTest, StartUpsOwnSelectionOfThisUserRaisesNoPromptAndSavesNothing) {
  start();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Configuration);
  EXPECT_EQ(getString(Root::User, keys::Settings, "CurrentUser"), "<absent>");
}

TEST_F(StartupTest, SecondCopyEndsSilentlyWithoutLoadingOrTrayIcon) {
  sim.shell.holdInstanceElsewhere(names::MainInstanceMutex, true);
  start();
  EXPECT_TRUE(app().ended());
  EXPECT_EQ(quitCount, 1);
  EXPECT_TRUE(tray.icons.empty());
  EXPECT_EQ(config().lstProgram.count(), 0) << "the store is not loaded";
  EXPECT_TRUE(sim.shell.messages().empty());
  EXPECT_EQ(sim.clock.runningTimers(), 0u);
}

// Only the copy that owns the session's single instance runs: a window that
// another program titles "Tessara 7" stops nothing.
TEST_F(StartupTest, AForeignWindowWithTheTitleDoesNotStopTheProgram) {
  sim.desktop.createWindow("Tessara 7", "Tessara.frmConfig", 0);
  start();
  EXPECT_FALSE(app().ended());
  EXPECT_EQ(tray.icons.size(), 1u);
  EXPECT_TRUE(sim.shell.instanceHeld(names::MainInstanceMutex));

  platform::sim::SimTray secondTray;
  App second({sim.get(), secondTray, nullptr, {}, {}});
  second.start();
  EXPECT_TRUE(second.ended()) << "a second copy on the same machine ends";
  EXPECT_TRUE(secondTray.icons.empty());
  EXPECT_TRUE(sim.shell.instanceHeld(names::MainInstanceMutex)) << "and leaves the first copy's claim alone";
}

TEST_F(StartupTest, ClosingTheWindowStartsANewCopyAfterGivingUpTheTitle) {
  start();
  std::string captionAtRestart = "<not started>";
  bool heldAtRestart = true;
  platform::sim::SimTray freshTray;
  std::unique_ptr<App> fresh;
  sim.shell.onStart = [&](const platform::sim::StartedProgram&) {
    captionAtRestart = config().caption();
    heldAtRestart = sim.shell.instanceHeld(names::MainInstanceMutex);
    fresh = std::make_unique<App>(AppHost{sim.get(), freshTray, nullptr, {}, {}});
    fresh->start();
  };
  config().close(forms::CloseReason::User);
  EXPECT_FALSE(heldAtRestart) << "the closing copy gives the single instance up before the new one starts";
  ASSERT_NE(fresh, nullptr);
  EXPECT_FALSE(fresh->ended()) << "the new copy runs";
  EXPECT_EQ(freshTray.icons.size(), 1u);
  ASSERT_EQ(sim.shell.started().size(), 1u);
  EXPECT_EQ(sim.shell.started()[0].path, "C:\\Program Files\\Tessara\\tessara7.exe");
  EXPECT_EQ(sim.shell.started()[0].showCommand, platform::SwShowMinimized);
  EXPECT_NE(captionAtRestart, "Tessara 7");
  EXPECT_TRUE(tray.icons.empty());
  EXPECT_TRUE(app().ended());
}

TEST_F(StartupTest, EveryCloseButTheSessionEndRestarts) {
  for (auto reason : {forms::CloseReason::TaskManager, forms::CloseReason::Code, forms::CloseReason::Owner}) {
    platform::sim::SimPlatform fresh;
    platform::sim::SimTray freshTray;
    App other({fresh.get(), freshTray, nullptr, {}, {}});
    other.start();
    other.frmConfig().close(reason);
    EXPECT_EQ(fresh.shell.started().size(), 1u) << static_cast<int>(reason);
  }
  sim.guard.installed = true;
  start();
  EXPECT_EQ(sim.guard.told, std::vector{guard_channel::Request::Running}) << "the running copy says so";
  sim.guard.told.clear();
  config().close(forms::CloseReason::WindowsSession);
  EXPECT_TRUE(sim.shell.started().empty());
  EXPECT_TRUE(app().ended());
  EXPECT_EQ(sim.guard.told, std::vector{guard_channel::Request::SessionEnds}) << "the guard brings nothing back";
}

TEST_F(StartupTest, RestartThatCannotStartSimplyEnds) {
  start();
  sim.shell.failStart("C:\\Program Files\\Tessara\\tessara7.exe", "The system cannot find the file specified.");
  config().close(forms::CloseReason::User);
  EXPECT_TRUE(app().ended());
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(StartupTest, ExitAsksForThePasswordThenEndsForGoodAndTellsTheGuard) {
  sim.guard.installed = true;
  start();
  sim.guard.told.clear();
  config().mExit.click();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Exit);
  typePassword("wrong");
  EXPECT_FALSE(app().ended());
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_FALSE(app().ended()) << "Cancel leaves it running";
  EXPECT_TRUE(sim.guard.told.empty());

  config().mExit.click();
  typePassword("OpenBox");
  EXPECT_TRUE(app().ended());
  EXPECT_EQ(quitCount, 1);
  EXPECT_TRUE(sim.shell.started().empty()) << "no new copy";
  EXPECT_EQ(sim.guard.told, std::vector{guard_channel::Request::Exit});
}

TEST_F(StartupTest, ExitWhileTheConfigurationIsOpenNeedsNoSecondPassword) {
  start();
  unlock();
  config().mExit.click();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_TRUE(app().ended());
}

// "This user" is the owner's choice for a user, not the user's: a value the
// user writes into their own settings does not give them an empty store.
TEST_F(StartupTest, AUsersOwnScopeHoldsOnlyWhereTheOwnerRecordedIt) {
  setString(Root::User, "SOFTWARE\\TSR\\Windows0", "Window", "User row");
  setString(Root::User, keys::Settings, "CurrentUser", "Enabled");
  start();
  EXPECT_EQ(state().SettingsRoot, Root::Machine);
  EXPECT_TRUE(config().OptAllUsers.value());
  EXPECT_EQ(config().lstProgram.count(), 25) << "the machine's list, not the user's";

  setString(Root::Machine, "Software\\TSR\\Users", "S-1-5-21-0-0-0-500", "Enabled");
  subsystems().loader.GetConfig();
  EXPECT_EQ(state().SettingsRoot, Root::Machine) << "recorded for another user";

  chooseThisUser();
  subsystems().loader.GetConfig();
  EXPECT_EQ(state().SettingsRoot, Root::User);
  EXPECT_EQ(config().lstProgram.item(0), "User row");
}

TEST_F(StartupTest, ActivationRetitlesReadsSubfoldersAndSwitchesOffTwoTabs) {
  start();
  setString(Root::User, keys::Settings, "subfolders", "1");
  config().SSTab1.setTab(FrmConfig::PageDebug);
  config().setCaption("[TSR]");
  config().activate();
  EXPECT_EQ(config().caption(), "Tessara 7");
  EXPECT_TRUE(state().Encryption.includeSubfolders);
  EXPECT_EQ(config().chkSub.value(), 1);
  EXPECT_FALSE(config().SSTab1.tabEnabled(FrmConfig::PageAdvanced));
  EXPECT_FALSE(config().SSTab1.tabEnabled(FrmConfig::PageDebug));
  EXPECT_NE(config().SSTab1.tab(), FrmConfig::PageDebug);
  config().SSTab1.userSelect(FrmConfig::PageAdvanced);
  EXPECT_NE(config().SSTab1.tab(), FrmConfig::PageAdvanced);
  config().hide();
  config().show();
  config().SSTab1.userSelect(FrmConfig::PageDebug);
  EXPECT_NE(config().SSTab1.tab(), FrmConfig::PageDebug);
}

TEST_F(StartupTest, ScopeOptionWhileLockedAsksForThePasswordAndWritesNothing) {
  start();
  config().OptAllUsers.click();
  config().OptThisUser.click();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Configuration);
  EXPECT_EQ(getString(Root::User, keys::Settings, "CurrentUser"), "<absent>");
}

TEST_F(StartupTest, ScopeOptionWhileUnlockedStoresTheScopeAndReloads) {
  setString(Root::User, "SOFTWARE\\TSR\\Windows0", "Window", "User row");
  start();
  unlock();
  config().OptThisUser.click();
  EXPECT_EQ(getString(Root::User, keys::Settings, "CurrentUser"), "Enabled");
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\Users", sim.shell.userSid()), "Enabled");
  EXPECT_EQ(state().SettingsRoot, Root::User);
  ASSERT_EQ(config().lstProgram.count(), 1);
  EXPECT_EQ(config().lstProgram.item(0), "User row");

  config().OptAllUsers.click();
  EXPECT_EQ(getString(Root::User, keys::Settings, "CurrentUser"), "Disabled");
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\Users", sim.shell.userSid()), "<absent>");
  EXPECT_EQ(state().SettingsRoot, Root::Machine);
  EXPECT_TRUE(config().OptAllUsers.value());
  EXPECT_EQ(config().lstProgram.count(), 25);
  EXPECT_EQ(prompt(), nullptr);
}

TEST_F(StartupTest, DialogOpenHoldsBackThePromptOfTheCommands) {
  start();
  session().DialogOpen = true;
  config().mconfig.click();
  config().OptThisUser.click();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Configuration);
  EXPECT_EQ(pending().PendingTitle, "Configuration");
}

TEST_F(StartupTest, CancelHidesTheWindowAndLocksTheConfiguration) {
  start();
  unlock();
  config().show();
  config().cmdCancel.click();
  EXPECT_FALSE(config().visible());
  EXPECT_FALSE(session().ConfigUnlocked);
}

TEST_F(StartupTest, MenuCaptionsKeepTheirLeadingSpacesAndDoubledAmpersands) {
  EXPECT_EQ(config().chkLockextract.caption(), "  Lock Zip && Self Extracting Files");
  EXPECT_EQ(config().chkLockFF.caption(), "  Lock Firefox, Netscape && Opera");
  EXPECT_EQ(config().chkDesktop.caption(), "  Hide Desktop Icons");
  EXPECT_EQ(config().fraLocked.caption(), "Locked Programs && Windows");
  std::vector<std::string> tray;
  for (const auto& item : config().mFile.items())
    if (!item->separator()) tray.push_back(item->caption());
  EXPECT_EQ(tray, (std::vector<std::string>{"Configure...", "Lock Computer", "Reset Locks",
                                            "Stop Remembering Password", "Cancel", "Exit"}));
  std::vector<std::string> bar;
  for (const auto& menu : config().menus()) bar.push_back(menu->caption());
  EXPECT_EQ(bar, (std::vector<std::string>{"File", "Settings", "Tweaks", "Advanced", "Help"}));
}

TEST_F(StartupTest, ControlAndMenuIdsAreUniqueWithinTheWindow) {
  std::set<int> ids;
  for (const forms::Control* control : config().controls()) EXPECT_TRUE(ids.insert(control->id()).second) << control->name();
  std::function<void(const forms::MenuItem&)> visit = [&](const forms::MenuItem& item) {
    EXPECT_TRUE(ids.insert(item.id()).second) << item.name();
    for (const auto& child : item.items()) visit(*child);
  };
  for (const auto& menu : config().menus()) visit(*menu);
}

// The program's history from its start, with no guard service to keep it.
TEST_F(StartupTest, WithoutAServiceTheEventsAreShownForThisRunAndSaidNotToBeKept) {
  start();
  config().chkLockIE.setChecked(true);
  app().history().record(history::Kind::Export, "to D:\\");
  const auto lines = app().history().lines();
  EXPECT_FALSE(lines.kept);
  ASSERT_EQ(lines.entries.size(), 2u);
  EXPECT_EQ(lines.entries[0].event.kind, history::Kind::Started);
  EXPECT_EQ(lines.entries[1].event.detail, "to D:\\");
  sim.guard.installed = true;
  EXPECT_TRUE(app().history().clear());
  EXPECT_EQ(app().history().lines().entries.size(), 1u);
}

// The program reports a handler's error in the notice window instead of ending.
class HandlerErrorTest : public AppTest {
 protected:
  void SetUp() override { start(); }
};

TEST_F(HandlerErrorTest, AHandlerErrorBecomesANotice) {
  config().cmdHome.onClick = [] { throw std::runtime_error("Subscript out of range"); };
  config().cmdHome.click();
  EXPECT_EQ(noticeText(), "Subscript out of range");
}

}  // namespace
}  // namespace tessara::testing
