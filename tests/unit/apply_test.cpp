// Apply: what it writes and deletes in either scope, how a refused machine
// root is handled, and that every switch comes back ticked after the reload.
#include <string>
#include <vector>

#include "tessara7/locking/password_hash.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

constexpr const char* kSettings = "Software\\TSR\\Settings";
constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kIe = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
constexpr const char* kIgnore = "Software\\TSR\\Ignore";

std::string rowKey(int n) { return "Software\\TSR\\Windows" + std::to_string(n); }

enum class Stored { Dword, Flag };
enum class Place { Scope, Machine };

// Every switch Apply writes, as the product documents it (not as the code
// lists it): a wrong key, value name, root or encoding fails here.
struct Written {
  const char* control;
  Stored stored;
  Place place;
  const char* key;
  const char* value;
};

const std::vector<Written> kTweaks{
    {"chkDesktop", Stored::Dword, Place::Scope, kExplorer, "NoDesktop"},
    {"chkRDesktop", Stored::Dword, Place::Scope, kExplorer, "NoViewContextMenu"},
    {"chkNoPrograms", Stored::Dword, Place::Scope, kExplorer, "NoStartMenuMorePrograms"},
    {"chkRun", Stored::Dword, Place::Scope, kExplorer, "NoRun"},
    {"chkOptions", Stored::Dword, Place::Scope, kIe, "NoBrowserOptions"},
    {"chkSource", Stored::Dword, Place::Scope, kIe, "NoViewSource"},
    {"chkdlFolder", Stored::Dword, Place::Scope, kIe, "NoSelectDownloadDir"},
    {"chkFav", Stored::Dword, Place::Scope, kIe, "NoFavorites"},
};

const std::vector<Written> kAdvanced{
    {"chkTaskManager", Stored::Flag, Place::Scope, kSettings, "TaskManager"},
    {"chkLockMyComputer", Stored::Flag, Place::Scope, kSettings, "chkLockMyComputer"},
    {"chkLockex", Stored::Flag, Place::Scope, kSettings, "LockEx"},
    {"chkLockInstall", Stored::Flag, Place::Scope, kSettings, "LockInstall"},
    {"chkLockextract", Stored::Flag, Place::Scope, kSettings, "LockExtract"},
    {"chkLockIE", Stored::Flag, Place::Scope, kSettings, "LockIE"},
    {"chkLockFF", Stored::Flag, Place::Scope, kSettings, "LockFF"},
    {"chkdisableDownloads", Stored::Flag, Place::Scope, kSettings, "DisableDownloads"},
};

const std::vector<Written> kSettingsMenu{
    {"mEnPwd", Stored::Flag, Place::Scope, kSettings, "mEnPwd"},
    {"chkPasswordTimer", Stored::Flag, Place::Scope, kSettings, "chkPasswordTimer"},
    {"mhidecoffebreak", Stored::Flag, Place::Machine, kSettings, "mhidecoffebreak"},
    {"mhideconfigure", Stored::Flag, Place::Machine, kSettings, "mhideconfigure"},
};

std::vector<Written> allMenuSwitches() {
  std::vector<Written> all = kTweaks;
  all.insert(all.end(), kAdvanced.begin(), kAdvanced.end());
  all.insert(all.end(), kSettingsMenu.begin(), kSettingsMenu.end());
  return all;
}

constexpr const char* kRightsMessage =
    "The software tried to save settings to the local registry and failed.\r\r"
    "This could mean you do not have administrator rights. Please check this. "
    "You can contact support email if you need. Please send this error code: v700-NOACCESSREG.";

class ApplyTest : public AppTest {
 protected:
  void apply() { config().cmdok.click(); }

  // Switches the window to "This user" as the user would.
  void selectThisUser() {
    unlock();
    config().OptThisUser.click();
    ASSERT_EQ(state().SettingsRoot, Root::User);
  }

  void setTick(const Written& entry, bool on) {
    forms::MenuItem* item = config().findMenu(entry.control);
    ASSERT_NE(item, nullptr) << entry.control;
    item->setChecked(on);
  }
  void tickAll(bool on) {
    for (const auto& entry : allMenuSwitches()) setTick(entry, on);
    config().chkContextMenu.setValue(on ? 1 : 0);
  }
  bool ticked(const Written& entry) { return config().findMenu(entry.control)->checked(); }

  Root rootOf(const Written& entry, Root scope) { return entry.place == Place::Machine ? Root::Machine : scope; }

  // Checks every switch's stored value under its root for the given state,
  // and that nothing of a scope switch went under the other root.
  void expectStored(Root scope, bool on) {
    const Root other = scope == Root::Machine ? Root::User : Root::Machine;
    for (const auto& entry : allMenuSwitches()) {
      const Root root = rootOf(entry, scope);
      if (entry.stored == Stored::Dword) {
        EXPECT_EQ(getDword(root, entry.key, entry.value), std::optional<std::uint32_t>(on ? 1u : 0u))
            << entry.control;
        EXPECT_EQ(getString(root, entry.key, entry.value), "<absent>") << entry.control << " is a DWORD";
      } else {
        EXPECT_EQ(getString(root, entry.key, entry.value), on ? "1" : "0") << entry.control;
      }
      if (entry.place == Place::Scope) {
        EXPECT_EQ(getDword(other, entry.key, entry.value), std::nullopt) << entry.control << " under the other root";
        EXPECT_EQ(getString(other, entry.key, entry.value), "<absent>") << entry.control << " under the other root";
      }
    }
    EXPECT_EQ(getString(scope, kSettings, "chkContextMenu"), on ? "1" : "0");
  }
};

// --- What Apply removes --------------------------------------------------------

TEST_F(ApplyTest, RightsTestValueAndObsoleteKeysAreGoneInEitherScope) {
  for (bool thisUser : {false, true}) {
    SCOPED_TRACE(thisUser ? "This user" : "All users");
    setString(Root::Machine, "Software\\TSR\\Shelter\\Items", "Item0", "c:\\secret");
    setString(Root::Machine, "Software\\TSR\\Programs", "Program0", "old");
    setString(Root::User, "Software\\TSR\\Programs", "Program0", "old");
    if (thisUser) {
      selectThisUser();
    } else {
      start();
    }
    apply();
    EXPECT_EQ(getString(Root::Machine, kSettings, "tmp"), "<absent>");
    EXPECT_TRUE(sim.registry.keyExists(Root::Machine, kSettings));
    EXPECT_FALSE(sim.registry.keyExists(Root::Machine, "Software\\TSR\\Shelter\\Items"));
    EXPECT_EQ(noticeText(), "<no notice>");
    // Only the chosen root loses its obsolete Programs key.
    EXPECT_EQ(sim.registry.keyExists(Root::Machine, "Software\\TSR\\Programs"), thisUser);
    EXPECT_EQ(sim.registry.keyExists(Root::User, "Software\\TSR\\Programs"), !thisUser);
  }
}

TEST_F(ApplyTest, IgnoreListIsRewrittenWholeAndAnEmptyOneLeavesNoKey) {
  for (int n : {0, 1, 2, 7}) setString(Root::Machine, kIgnore, "Program" + std::to_string(n), "Old " + std::to_string(n));
  start();
  ASSERT_EQ(config().lstignore.count(), 4);
  subsystems().ignoreList.forget("Old 0");
  subsystems().ignoreList.forget("Old 1");
  apply();
  EXPECT_EQ(sim.registry.valueNames(Root::Machine, kIgnore), (std::vector<std::string>{"Program0", "Program1"}));
  EXPECT_EQ(getString(Root::Machine, kIgnore, "Program0"), "Old 2");
  EXPECT_EQ(getString(Root::Machine, kIgnore, "Program1"), "Old 7");
  EXPECT_EQ(config().lstignore.items(), (std::vector<std::string>{"Old 2", "Old 7"}));

  subsystems().ignoreList.clear();
  apply();
  EXPECT_FALSE(sim.registry.keyExists(Root::Machine, kIgnore));
  EXPECT_EQ(config().lstignore.count(), 0);
}

TEST_F(ApplyTest, MachineRowsZeroTo999AreGoneInEitherScope) {
  for (bool thisUser : {false, true}) {
    SCOPED_TRACE(thisUser ? "This user" : "All users");
    for (int n = 0; n < 1000; ++n) setString(Root::Machine, rowKey(n), "Window", "Row " + std::to_string(n));
    setString(Root::Machine, rowKey(1000), "Window", "Not a row Apply owns");
    if (thisUser) {
      selectThisUser();
    } else {
      start();
    }
    while (subsystems().lockList.count() > 2) subsystems().lockList.remove(2);
    apply();
    const int firstGone = thisUser ? 0 : 2;  // All users writes its two rows again
    for (int n = firstGone; n < 1000; ++n)
      ASSERT_FALSE(sim.registry.keyExists(Root::Machine, rowKey(n))) << "row " << n;
    EXPECT_TRUE(sim.registry.keyExists(Root::Machine, rowKey(1000)));
  }
}

TEST_F(ApplyTest, ThisUserClearsPerUserRowsBeyondTheList) {
  chooseThisUser();
  for (int n = 0; n < 6; ++n) setString(Root::User, rowKey(n), "Window", "Row " + std::to_string(n));
  setString(Root::User, rowKey(998), "Window", "Last row");
  start();
  ASSERT_EQ(config().lstProgram.count(), 7);
  subsystems().lockList.remove(6);
  subsystems().lockList.remove(1);
  subsystems().lockList.remove(1);
  apply();
  for (int n = 0; n < 4; ++n) EXPECT_TRUE(sim.registry.keyExists(Root::User, rowKey(n))) << n;
  for (int n : {4, 5, 998}) EXPECT_FALSE(sim.registry.keyExists(Root::User, rowKey(n))) << n;
  ASSERT_EQ(config().lstProgram.count(), 4) << "removed rows do not come back at the reload";
  EXPECT_EQ(config().lstProgram.item(1), "Row 3");
}

// --- What Apply writes ---------------------------------------------------------

TEST_F(ApplyTest, RowsAreWrittenUnderTheScopeRootWithUntickedOnesKept) {
  for (bool thisUser : {false, true}) {
    SCOPED_TRACE(thisUser ? "This user" : "All users");
    if (thisUser) {
      selectThisUser();
    } else {
      start();
    }
    subsystems().lockList.clear();
    subsystems().lockList.append("Notepad", true, false);
    subsystems().lockList.append("Solitaire", false, false);
    subsystems().lockList.append("Größe – Editor", true, false);
    apply();
    const Root root = thisUser ? Root::User : Root::Machine;
    const Root other = thisUser ? Root::Machine : Root::User;
    EXPECT_EQ(getString(root, rowKey(0), "Window"), "Notepad");
    EXPECT_EQ(getString(root, rowKey(0), "Enabled"), "1");
    EXPECT_EQ(getString(root, rowKey(1), "Window"), "Solitaire");
    EXPECT_EQ(getString(root, rowKey(1), "Enabled"), "0");
    EXPECT_EQ(getString(root, rowKey(2), "Window"), "Größe – Editor");
    EXPECT_EQ(getString(root, rowKey(2), "Enabled"), "1");
    EXPECT_FALSE(sim.registry.keyExists(root, rowKey(3)));
    EXPECT_FALSE(sim.registry.keyExists(other, rowKey(0)));
    EXPECT_EQ(getString(Root::User, kSettings, "CurrentUser"), thisUser ? "Enabled" : "Disabled");
    ASSERT_EQ(config().lstProgram.count(), 3);
    EXPECT_FALSE(config().lstProgram.checked(1));
    EXPECT_TRUE(config().lstProgram.checked(2));
  }
}

TEST_F(ApplyTest, EverySwitchGoesUnderItsRootWithItsEncodingInBothScopes) {
  for (bool thisUser : {false, true}) {
    SCOPED_TRACE(thisUser ? "This user" : "All users");
    sim.registry.deleteKey(Root::Machine, kExplorer);
    sim.registry.deleteKey(Root::Machine, kIe);
    sim.registry.deleteKey(Root::Machine, kSettings);
    if (thisUser) {
      selectThisUser();
    } else {
      start();
    }
    const Root scope = thisUser ? Root::User : Root::Machine;
    tickAll(true);
    apply();
    expectStored(scope, true);
    tickAll(false);
    apply();
    expectStored(scope, false);
  }
}

TEST_F(ApplyTest, SwitchingOffOverwritesAValueAnotherToolSet) {
  start();
  setDword(Root::Machine, kExplorer, "NoRun", 1);
  setDword(Root::Machine, kIe, "NoFavorites", 1);
  setString(Root::Machine, kSettings, "LockIE", "1");
  ASSERT_FALSE(config().chkRun.checked());
  apply();
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoRun"), 0u);
  EXPECT_EQ(getDword(Root::Machine, kIe, "NoFavorites"), 0u);
  EXPECT_EQ(getString(Root::Machine, kSettings, "LockIE"), "0");
}

TEST_F(ApplyTest, MenuClickOnlyFlipsTheTickUntilApply) {
  start();
  const std::string before = sim.registry.dump(Root::Machine) + sim.registry.dump(Root::User);
  for (const auto& entry : allMenuSwitches()) {
    const bool was = ticked(entry);
    config().findMenu(entry.control)->click();
    EXPECT_NE(ticked(entry), was) << entry.control;
  }
  EXPECT_EQ(sim.registry.dump(Root::Machine) + sim.registry.dump(Root::User), before);
  apply();
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoRun"), 1u);
  EXPECT_EQ(getString(Root::Machine, kSettings, "TaskManager"), "0") << "was ticked by default";
}

TEST_F(ApplyTest, OtherRootKeepsWhatAnEarlierApplyWroteThere) {
  start();
  config().chkRun.setChecked(true);
  config().chkLockIE.setChecked(true);
  apply();
  selectThisUser();
  EXPECT_FALSE(config().chkRun.checked()) << "this user has no values of its own yet";
  apply();
  EXPECT_EQ(getDword(Root::User, kExplorer, "NoRun"), 0u);
  EXPECT_EQ(getString(Root::User, kSettings, "LockIE"), "0");
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoRun"), 1u);
  EXPECT_EQ(getString(Root::Machine, kSettings, "LockIE"), "1");
}

TEST_F(ApplyTest, CancelIsCaptionedCloseFromTheFirstApplyOn) {
  start();
  EXPECT_EQ(config().cmdCancel.caption(), "Cancel");
  apply();
  EXPECT_EQ(config().cmdCancel.caption(), "Close");
  apply();
  EXPECT_EQ(config().cmdCancel.caption(), "Close");
}

// --- Round trip through the loader ----------------------------------------------

TEST_F(ApplyTest, EveryMenuSwitchComesBackAsAppliedInBothScopes) {
  for (bool thisUser : {false, true}) {
    SCOPED_TRACE(thisUser ? "This user" : "All users");
    if (thisUser) {
      selectThisUser();
    } else {
      start();
    }
    for (bool on : {true, false}) {
      tickAll(on);
      apply();
      subsystems().loader.GetConfig();
      for (const auto& entry : allMenuSwitches()) EXPECT_EQ(ticked(entry), on) << entry.control;
      EXPECT_EQ(config().chkContextMenu.value(), on ? 1 : 0);
      EXPECT_EQ(state().ExplorerMenuNeedsPassword, on);
      EXPECT_EQ(wholeProgramLocks().LockInternetExplorer, on);
      EXPECT_EQ(wholeProgramLocks().LockWindowsExplorer, on);
      EXPECT_EQ(config().mconfig.enabled(), !on);
      EXPECT_EQ(config().mLockWorkstation.enabled(), !on);
    }
  }
}

TEST_F(ApplyTest, ProgramLocksTakeEffectAtApply) {
  start();
  config().chkLockIE.setChecked(true);
  config().chkLockFF.setChecked(true);
  config().chkTaskManager.setChecked(false);
  config().mEnPwd.setChecked(false);
  auto ie = sim.desktop.createWindow("Home - Internet Explorer", "IEFrame");
  sim.clock.advance(500);
  EXPECT_FALSE(sim.desktop.isMinimised(ie)) << "nothing is locked before Apply";
  ASSERT_EQ(prompt(), nullptr);

  apply();
  EXPECT_TRUE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_FALSE(wholeProgramLocks().LockWindowsExplorer);
  EXPECT_FALSE(state().ExplorerMenuNeedsPassword);
  EXPECT_EQ(config().lstHiddenProgram.items(), (std::vector<std::string>{"MozillaUIWindowClass", "OpWindow", "firefox.exe", "opera.exe"}));
  sim.clock.advance(500);
  EXPECT_TRUE(sim.desktop.isMinimised(ie));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Internet Explorer");
  EXPECT_EQ(pending().PendingAction, Action::InternetExplorer);
}

TEST_F(ApplyTest, ExplorerLockFollowsAtOnce) {
  start();
  config().chkLockex.setChecked(true);
  apply();
  EXPECT_TRUE(wholeProgramLocks().LockWindowsExplorer);
  auto folder = sim.desktop.createWindow("C:\\", "CabinetWClass");
  sim.clock.advance(500);
  EXPECT_TRUE(sim.desktop.isMinimised(folder));
  EXPECT_EQ(pending().PendingAction, Action::WindowsExplorer);
}

// --- A machine root that refuses writes -----------------------------------------

TEST_F(ApplyTest, RefusedMachineRootShowsTheNoticeAndStillWritesPerUser) {
  chooseThisUser();
  start();
  sim.registry.setWritable(Root::Machine, false);
  const std::string machineBefore = sim.registry.dump(Root::Machine);
  subsystems().lockList.clear();
  subsystems().lockList.append("Notepad", true, false);
  subsystems().ignoreList.add("Ignored title");
  config().chkRun.setChecked(true);
  config().chkLockIE.setChecked(true);
  config().mhideconfigure.setChecked(true);
  apply();

  EXPECT_EQ(noticeText(), kRightsMessage);
  EXPECT_EQ(sim.registry.dump(Root::Machine), machineBefore);
  EXPECT_EQ(getString(Root::User, kSettings, "CurrentUser"), "Enabled");
  EXPECT_EQ(getString(Root::User, rowKey(0), "Window"), "Notepad");
  EXPECT_EQ(getDword(Root::User, kExplorer, "NoRun"), 1u);
  EXPECT_EQ(getString(Root::User, kSettings, "LockIE"), "1");
  EXPECT_TRUE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_EQ(config().cmdCancel.caption(), "Close") << "Apply goes on after the notice";

  // One notice: once the user closes it, none is left.
  app().openNotice()->cmdok.click();
  app().collect();
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(ApplyTest, RefusedMachineRootInAllUsersStillStoresTheScope) {
  start();
  sim.registry.setWritable(Root::Machine, false);
  ASSERT_EQ(getString(Root::User, kSettings, "CurrentUser"), "<absent>");
  apply();
  EXPECT_EQ(noticeText(), kRightsMessage);
  EXPECT_EQ(getString(Root::User, kSettings, "CurrentUser"), "Disabled");
  EXPECT_EQ(state().SettingsRoot, Root::Machine);
}

// --- Telling running programs ---------------------------------------------------

TEST_F(ApplyTest, OneApplyIsOnePolicyBroadcast) {
  start();
  tickAll(true);
  int before = sim.desktop.policyBroadcasts();
  apply();
  EXPECT_EQ(sim.desktop.policyBroadcasts() - before, 1);

  // A reload that changes protection boxes is still part of the same command.
  setString(Root::Machine, kSettings, "chkLockStart", "1");
  setString(Root::Machine, kSettings, "NoDrives", "1");
  before = sim.desktop.policyBroadcasts();
  apply();
  EXPECT_EQ(sim.desktop.policyBroadcasts() - before, 1);
  EXPECT_EQ(config().chkLockStart.value(), 1);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoViewOnDrive"), 4u);
}

}  // namespace
}  // namespace tessara::testing

namespace tessara::testing {
namespace {

constexpr const char* kManaged = "Software\\Policies\\TSR\\Settings";

// Settings an administrator manages through Group Policy: the policy's value
// is what the program loads and acts on, in either scope and whatever the
// store says, the machine's policy over the user's; Apply leaves the store's
// value of a managed setting alone, and a removed policy gives it back.
TEST_F(ApplyTest, ManagedSettingsOverrideTheStoreAndApplyLeavesThemAlone) {
  setString(Root::Machine, kSettings, "LockIE", "0");
  setString(Root::Machine, kSettings, "LockFF", "1");
  setDword(Root::Machine, kManaged, "LockIE", 1);           // a policy's "enabled"
  setString(Root::User, kManaged, "LockFF", "0");           // the user's policy...
  setString(Root::User, kManaged, "chkLockMyComputer", "1");
  setString(Root::Machine, kManaged, "chkLockMyComputer", "0");  // ...loses to the machine's
  start();
  const auto find = [](const char* control) {
    for (const auto& entry : allMenuSwitches())
      if (std::string(entry.control) == control) return entry;
    return Written{};
  };
  EXPECT_TRUE(ticked(find("chkLockIE")));
  EXPECT_FALSE(ticked(find("chkLockFF")));
  EXPECT_FALSE(ticked(find("chkLockMyComputer")));
  EXPECT_TRUE(wholeProgramLocks().LockInternetExplorer) << "the watchers act on the policy";
  EXPECT_FALSE(config().findMenu("chkLockIE")->enabled()) << "a managed switch is greyed";
  EXPECT_TRUE(config().findMenu("chkLockex")->enabled());

  // Apply writes what the owner ticked, except what is managed.
  unlock();
  tickAll(false);
  setTick(find("chkLockIE"), false);
  apply();
  EXPECT_EQ(getString(Root::Machine, kSettings, "LockIE"), "0") << "the store kept its own value";
  EXPECT_EQ(getString(Root::Machine, kSettings, "LockFF"), "1");
  EXPECT_EQ(getString(Root::Machine, kSettings, "LockEx"), "0") << "an unmanaged setting is written";
  EXPECT_TRUE(ticked(find("chkLockIE"))) << "the reload after Apply shows the policy again";

  // In the user's own scope the machine's policy still holds.
  selectThisUser();
  EXPECT_TRUE(ticked(find("chkLockIE")));
  EXPECT_EQ(getString(Root::User, kSettings, "LockIE"), "<absent>");

  // The policy goes: within the next second the store's value is back, and the owner's to change.
  config().OptAllUsers.click();
  sim.registry.deleteValue(Root::Machine, kManaged, "LockIE");
  sim.clock.advance(1000);
  EXPECT_FALSE(ticked(find("chkLockIE")));
  EXPECT_FALSE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_TRUE(config().findMenu("chkLockIE")->enabled());

  // A policy that arrives (a Group Policy refresh) holds at once, without Apply.
  setString(Root::Machine, kManaged, "chkContextMenu", "1");
  sim.clock.advance(1000);
  EXPECT_EQ(config().chkContextMenu.value(), 1);
  EXPECT_FALSE(config().chkContextMenu.enabled());
  EXPECT_EQ(config().chkContextMenu.toolTip(), "Set by your administrator");
  EXPECT_EQ(getString(Root::Machine, kSettings, "chkContextMenu"), "0") << "the store keeps what the owner applied";
}

// The lock list and the master password an administrator manages: the
// machine's list over the user's, shown ticked and greyed in place of the
// owner's, whose rows Apply leaves as stored; the policy's password is the
// one that counts, and setting another is greyed.
TEST_F(ApplyTest, AManagedLockListAndPasswordStandInForTheOwnersAndApplyLeavesTheStoreAlone) {
  setString(Root::Machine, rowKey(0), "Window", "Owner's Game");
  setString(Root::Machine, rowKey(0), "Enabled", "1");
  setString(Root::User, "Software\\Policies\\TSR\\Tasks", "Task1", "User policy");
  setString(Root::Machine, "Software\\Policies\\TSR\\Tasks", "Task2", "notepad.exe");
  setString(Root::Machine, "Software\\Policies\\TSR\\Tasks", "Task1", "Solitaire");
  const std::string hash = PasswordHash::make("admin secret", 1000);
  setString(Root::Machine, kManaged, "MasterPassword", hash);
  start();
  ASSERT_EQ(config().lstProgram.count(), 2);
  EXPECT_EQ(config().lstProgram.item(0), "Solitaire");
  EXPECT_EQ(config().lstProgram.item(1), "notepad.exe");
  EXPECT_TRUE(config().lstProgram.checked(0) && config().lstProgram.checked(1));
  EXPECT_FALSE(config().lstProgram.enabled());
  EXPECT_FALSE(config().cmdAdd.enabled());
  EXPECT_EQ(config().lstProgram.toolTip(), "Set by your administrator");
  EXPECT_EQ(app().masterPassword().stored(), hash);
  EXPECT_FALSE(config().cmdsetpassword.enabled());

  unlock();
  apply();
  EXPECT_EQ(getString(Root::Machine, rowKey(0), "Window"), "Owner's Game") << "Apply wrote the policy's list";
  EXPECT_EQ(getString(Root::Machine, rowKey(1), "Window"), "<absent>");
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\PWD", "title2"), "<absent>");
  EXPECT_EQ(config().lstProgram.item(0), "Solitaire");

  // The policies go: the owner's list and password are back, and theirs to change.
  sim.registry.deleteKey(Root::Machine, "Software\\Policies\\TSR\\Tasks");
  sim.registry.deleteKey(Root::User, "Software\\Policies\\TSR\\Tasks");
  sim.registry.deleteValue(Root::Machine, kManaged, "MasterPassword");
  sim.clock.advance(1000);
  ASSERT_EQ(config().lstProgram.count(), 1);
  EXPECT_EQ(config().lstProgram.item(0), "Owner's Game");
  EXPECT_TRUE(config().lstProgram.enabled());
  EXPECT_TRUE(config().cmdsetpassword.enabled());
  EXPECT_NE(app().masterPassword().stored(), hash);
}

}  // namespace
}  // namespace tessara::testing
