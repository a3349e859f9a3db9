// The settings loader: every stored value reaches its control or variable,
// with its default when absent.
#include <algorithm>
#include <vector>

#include "tests/unit/app_fixture.h"
#include "tessara7/settings/load_steps.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::testing {
namespace {

std::vector<std::string> texts(const forms::CheckList& list) {
  std::vector<std::string> out;
  for (const auto& entry : list.entries()) out.push_back(entry.text);
  return out;
}

std::vector<bool> ticks(const forms::CheckList& list) {
  std::vector<bool> out;
  for (const auto& entry : list.entries()) out.push_back(entry.checked);
  return out;
}

class SettingsLoaderTest : public AppTest {};

TEST(LoadStepsTest, AFailingStepIsSkippedAndNotedWhileTheNextOnesRun) {
  LoadSteps steps;
  std::vector<int> ran;
  steps.run("first", [&] { ran.push_back(1); });
  steps.run("rows", [&] { ran.push_back(std::vector<int>{}.at(3)); });
  steps.run("odd", [] { throw 42; });
  steps.run("last", [&] { ran.push_back(4); });
  EXPECT_EQ(ran, (std::vector<int>{1, 4}));
  ASSERT_EQ(steps.skipped().size(), 2u);
  EXPECT_EQ(steps.skipped()[0].rfind("rows: ", 0), 0u) << steps.skipped()[0];
  EXPECT_EQ(steps.skipped()[1], "odd: unknown error");
}

TEST_F(SettingsLoaderTest, EmptyStoreLoadsTheDefaults) {
  start();
  EXPECT_EQ(state().SettingsRoot, Root::Machine);
  EXPECT_TRUE(config().OptAllUsers.value());
  EXPECT_FALSE(config().OptThisUser.value());
  ASSERT_EQ(config().lstProgram.count(), 25);
  EXPECT_EQ(config().lstProgram.item(0), "Windows Media Player");
  EXPECT_EQ(config().lstProgram.item(1), "Notepad");
  EXPECT_EQ(config().lstProgram.item(24), "DVD-RAM Drive");
  const auto loadedTicks = ticks(config().lstProgram);
  EXPECT_EQ(std::count(loadedTicks.begin(), loadedTicks.end(), true), 0);
  EXPECT_EQ(config().lstignore.count(), 0);
  EXPECT_EQ(app().masterPassword().stored(), "openbox");
  EXPECT_TRUE(config().chkTaskManager.checked());
  EXPECT_EQ(config().lstHiddenProgram.items(), (std::vector<std::string>{"Windows Task Manager", "Task Manager", "TaskManagerWindow", "Taskmgr.exe"}));
  EXPECT_TRUE(config().mEnPwd.checked());
  EXPECT_TRUE(state().ExplorerMenuNeedsPassword);
  for (const char* off : {"chkLockIE", "chkLockex", "chkLockFF", "chkLockInstall", "chkdisableDownloads",
                          "chkDesktop", "chkRun", "chkOptions", "chkFav", "chkWallpaper", "mhideconfigure",
                          "chkPasswordTimer"})
    EXPECT_FALSE(config().findMenu(off)->checked()) << off;
  EXPECT_FALSE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_FALSE(wholeProgramLocks().LockWindowsExplorer);
  EXPECT_EQ(config().chkContextMenu.value(), 0);
  EXPECT_EQ(config().chkLockStart.value(), 0);
  EXPECT_EQ(config().cmdenpwd.caption(), "Set");
  EXPECT_TRUE(config().mconfig.enabled());
  EXPECT_TRUE(config().mLockWorkstation.enabled());
  EXPECT_FALSE(state().Loading);
}

TEST_F(SettingsLoaderTest, ThisUserWithAnEmptyUserTreeStillReadsTheMachineOnlyValues) {
  chooseThisUser();
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Machine row");
  setString(Root::Machine, keys::Settings, "LastPath", "c:\\docs");
  setString(Root::Machine, keys::Password, "PWD2", "secret");
  setString(Root::Machine, keys::Password, "title2", "machinepass");
  setString(Root::Machine, keys::Ignore, "Program0", "Ignored title");
  setString(Root::Machine, keys::Settings, "mhideconfigure", "1");
  setString(Root::Machine, keys::Settings, "LockIE", "1");  // a scope value: not for this user
  start();
  EXPECT_EQ(state().SettingsRoot, Root::User);
  EXPECT_TRUE(config().OptThisUser.value());
  EXPECT_EQ(config().lstProgram.count(), 25) << "the machine's rows are not this user's";
  EXPECT_EQ(config().txtPath.text(), "c:\\docs");
  EXPECT_EQ(config().txtEnPwd.text(), "secret");
  EXPECT_FALSE(config().txtEnPwd.enabled());
  EXPECT_EQ(config().cmdenpwd.caption(), "Reset");
  EXPECT_EQ(app().masterPassword().stored(), "openbox") << "the password comes from the user's tree";
  EXPECT_EQ(config().lstignore.items(), std::vector<std::string>{"Ignored title"});
  EXPECT_TRUE(config().mhideconfigure.checked());
  EXPECT_FALSE(config().mconfig.enabled());
  EXPECT_FALSE(config().chkLockIE.checked());
  EXPECT_FALSE(wholeProgramLocks().LockInternetExplorer);
}

TEST_F(SettingsLoaderTest, LockRowsLoadInOrderSkippingGapsEmptyRowsAndStrangeKeys) {
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Notepad");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Enabled", "0");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows1", "Window", "Calculator");  // no Enabled: ticked
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows3", "Window", "Paint");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows3", "Enabled", "1");
  setString(Root::Machine, "SOFTWARE\\TSR\\windows10", "Window", "Tenth");  // names are case-blind
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows4", "Window", "");        // empty: skipped
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows5", "Enabled", "1");      // no text: skipped
  setDword(Root::Machine, "SOFTWARE\\TSR\\Windows6", "Window", 7);          // wrong type: skipped
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows01", "Window", "Not a row");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows999", "Window", "Beyond the last row");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows998", "Window", "Last row");
  start();
  EXPECT_EQ(texts(config().lstProgram),
            (std::vector<std::string>{"Notepad", "Calculator", "Paint", "Tenth", "Last row"}));
  EXPECT_EQ(ticks(config().lstProgram), (std::vector<bool>{false, true, true, true, true}));
}

TEST_F(SettingsLoaderTest, ALongListFollowsTheSameRulesAsAShortOne) {
  // More than half of the possible rows: the loader reads them by number
  // instead of listing the keys, and must still skip and tick alike.
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Notepad");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Enabled", "0");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows4", "Window", "");
  setDword(Root::Machine, "SOFTWARE\\TSR\\Windows6", "Window", 7);
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows01", "Window", "Not a row");
  for (int row = 100; row < 700; ++row) {
    const std::string key = "SOFTWARE\\TSR\\Windows" + std::to_string(row);
    setString(Root::Machine, key, "Window", "Row " + std::to_string(row));
    if (row == 500) setString(Root::Machine, key, "Enabled", "0");
  }
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows998", "Window", "Last row");
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows999", "Window", "Beyond the last row");
  start();
  const auto loaded = texts(config().lstProgram);
  ASSERT_EQ(loaded.size(), 602u);
  EXPECT_EQ(loaded.front(), "Notepad");
  EXPECT_EQ(loaded[1], "Row 100");
  EXPECT_EQ(loaded[600], "Row 699");
  EXPECT_EQ(loaded.back(), "Last row");
  const auto ticked = ticks(config().lstProgram);
  EXPECT_EQ(std::count(ticked.begin(), ticked.end(), false), 2) << "Notepad and row 500";
  EXPECT_FALSE(ticked[401]);
}

TEST_F(SettingsLoaderTest, MasterPasswordIsLowerCasedAndReadFromTheScopesRoot) {
  setString(Root::Machine, keys::Password, "title2", "S3cret ÄÖÜ");
  start();
  EXPECT_EQ(app().masterPassword().stored(), "s3cret äöü");

  chooseThisUser();
  setString(Root::User, keys::Password, "title2", "UserPass");
  subsystems().loader.GetConfig();
  EXPECT_EQ(app().masterPassword().stored(), "s3cret äöü") << "text in the user's own store is not taken";
  const std::string hash = PasswordHash::make("userpass", 1000);
  setString(Root::User, keys::Password, "title2", hash);
  subsystems().loader.GetConfig();
  EXPECT_EQ(app().masterPassword().stored(), hash);
}

TEST_F(SettingsLoaderTest, TaskManagerIsOffOnlyForZero) {
  for (const auto& [stored, expected] : std::vector<std::pair<std::string, bool>>{
           {"1", true}, {"yes", true}, {"", true}, {"0", false}}) {
    setString(Root::Machine, keys::Settings, "TaskManager", stored);
    subsystems().loader.GetConfig();
    EXPECT_EQ(config().chkTaskManager.checked(), expected) << stored;
    const auto& hidden = config().lstHiddenProgram.items();
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), "Windows Task Manager"), expected ? 1 : 0) << stored;
  }
}

TEST_F(SettingsLoaderTest, ExplorerPasswordItemIsOnWhenAbsentAndFollowsTheScope) {
  for (const auto& [stored, expected] :
       std::vector<std::pair<std::string, bool>>{{"", true}, {"1", true}, {"0", false}, {"yes", false}}) {
    setString(Root::Machine, keys::Settings, "mEnPwd", stored);
    subsystems().loader.GetConfig();
    EXPECT_EQ(config().mEnPwd.checked(), expected) << stored;
    EXPECT_EQ(state().ExplorerMenuNeedsPassword, expected) << stored;
  }
  // In the "This user" scope the value written under the user's root counts.
  chooseThisUser();
  setString(Root::Machine, keys::Settings, "mEnPwd", "1");
  setString(Root::User, keys::Settings, "mEnPwd", "0");
  subsystems().loader.GetConfig();
  EXPECT_FALSE(config().mEnPwd.checked());
}

TEST_F(SettingsLoaderTest, ValuesOfTheWrongTypeReadAsAbsent) {
  setDword(Root::User, keys::Settings, "CurrentUser", 1);
  setDword(Root::Machine, keys::Settings, "TaskManager", 0);
  setString(Root::Machine, keys::ExplorerPolicies, "NoRun", "1");
  setDword(Root::Machine, keys::ExplorerPolicies, "NoDesktop", 1);
  start();
  EXPECT_EQ(state().SettingsRoot, Root::Machine);
  EXPECT_TRUE(config().chkTaskManager.checked());
  EXPECT_FALSE(config().chkRun.checked());
  EXPECT_TRUE(config().chkDesktop.checked());
}

TEST_F(SettingsLoaderTest, ImplicitLocksFollowTheFlagsInTheirFixedOrder) {
  for (const char* flag : {"LockExtract", "LockInstall", "chkLockMyComputer", "DisableDownloads", "LockFF"})
    setString(Root::Machine, keys::Settings, flag, "1");
  setString(Root::Machine, keys::Settings, "LockIE", "1");
  setString(Root::Machine, keys::Settings, "LockEx", "1");
  start();
  EXPECT_EQ(config().lstHiddenProgram.items(),
            (std::vector<std::string>{"MozillaUIWindowClass", "OpWindow", "firefox.exe", "opera.exe", "File Download",
                                      "file - Downloads", "Download file", "Windows Task Manager", "Task Manager",
                                      "TaskManagerWindow", "Taskmgr.exe", "My Computer", "Setup", "Install",
                                      "Installer", "Extract"}));
  EXPECT_TRUE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_TRUE(wholeProgramLocks().LockWindowsExplorer);
}

TEST_F(SettingsLoaderTest, PolicyValuesTickTheTweaksItemsIncludingTheTwoInternetOnes) {
  setDword(Root::Machine, keys::IeRestrictions, "NoBrowserOptions", 1);
  setDword(Root::Machine, keys::IeRestrictions, "NoFavorites", 1);
  setDword(Root::Machine, keys::IeRestrictions, "NoViewSource", 2);  // only 1 means on
  setDword(Root::Machine, keys::StoragePolicies, "WriteProtect", 1);
  start();
  EXPECT_TRUE(config().chkOptions.checked());
  EXPECT_TRUE(config().chkFav.checked());
  EXPECT_FALSE(config().chkSource.checked());
  EXPECT_EQ(config().chklockusb.value(), 1);
}

TEST_F(SettingsLoaderTest, ReloadReplacesUnsavedEdits) {
  start();
  subsystems().lockList.append("Unsaved", true, false);
  subsystems().ignoreList.add("Unsaved title");
  config().chkLockIE.setChecked(true);
  subsystems().loader.GetConfig();
  EXPECT_EQ(config().lstProgram.count(), 25);
  EXPECT_EQ(config().lstignore.count(), 0);
  EXPECT_FALSE(config().chkLockIE.checked());
}

// The program reads the two long lists while it makes its window. What was
// read then serves the first load, and only for the scope it was read for;
// every later load reads the store. (The store changes between the read and
// the load here only to show which of the two the load used.)
TEST_F(SettingsLoaderTest, WhatWasReadAheadServesTheFirstLoadOfItsScopeOnly) {
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Read ahead");
  setString(Root::Machine, keys::Ignore, "Program0", "Ignored ahead");
  subsystems().loader.readAhead();
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Read later");
  setString(Root::Machine, keys::Ignore, "Program0", "Ignored later");
  app().start();
  EXPECT_EQ(texts(config().lstProgram), std::vector<std::string>{"Read ahead"});
  EXPECT_EQ(config().lstignore.items(), std::vector<std::string>{"Ignored ahead"});

  subsystems().loader.GetConfig();
  EXPECT_EQ(texts(config().lstProgram), std::vector<std::string>{"Read later"});
  EXPECT_EQ(config().lstignore.items(), std::vector<std::string>{"Ignored later"});
}

TEST_F(SettingsLoaderTest, RowsReadAheadForTheMachineAreNotTakenForThisUser) {
  setString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Machine row");
  setString(Root::User, "SOFTWARE\\TSR\\Windows0", "Window", "User row");
  subsystems().loader.readAhead();
  chooseThisUser();
  app().start();
  EXPECT_EQ(state().SettingsRoot, Root::User);
  EXPECT_EQ(texts(config().lstProgram), std::vector<std::string>{"User row"});
}

}  // namespace
}  // namespace tessara::testing
