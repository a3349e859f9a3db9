// Apply and the System Protection boxes of the running program, checked in the
// real registry: menu ticks posted as the menu would, Apply clicked, values read back.
#include <optional>
#include <string>
#include <vector>

#include "forms/control_id.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/lock_helpers.h"

namespace e2e {
namespace {

constexpr const char* kMainTitle = names::MainTitle;
constexpr const char* kConfigClass = "Tessara.frmConfig";
constexpr const char* kPromptTitle = "Restrictions";
constexpr const char* kPromptClass = "Tessara.frmPassword";

constexpr const char* kSettings = "Software\\TSR\\Settings";
constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kIe = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
constexpr const char* kStorage = "SYSTEM\\CurrentControlSet\\Control\\StorageDevicePolicies";

struct MenuSwitch {
  const char* item;
  const char* key;
  const char* value;
  bool dword;  // a policy DWORD; otherwise a "1"/"0" flag
};

// Every Tweaks item but the wallpaper one (written at its click) and every Advanced item.
const std::vector<MenuSwitch> kSwitches{
    {"chkDesktop", kExplorer, "NoDesktop", true},
    {"chkRDesktop", kExplorer, "NoViewContextMenu", true},
    {"chkNoPrograms", kExplorer, "NoStartMenuMorePrograms", true},
    {"chkRun", kExplorer, "NoRun", true},
    {"chkOptions", kIe, "NoBrowserOptions", true},
    {"chkSource", kIe, "NoViewSource", true},
    {"chkdlFolder", kIe, "NoSelectDownloadDir", true},
    {"chkFav", kIe, "NoFavorites", true},
    {"chkTaskManager", kSettings, "TaskManager", false},
    {"chkLockMyComputer", kSettings, "chkLockMyComputer", false},
    {"chkLockex", kSettings, "LockEx", false},
    {"chkLockInstall", kSettings, "LockInstall", false},
    {"chkLockextract", kSettings, "LockExtract", false},
    {"chkLockIE", kSettings, "LockIE", false},
    {"chkLockFF", kSettings, "LockFF", false},
    {"chkdisableDownloads", kSettings, "DisableDownloads", false},
};

const std::vector<const char*> kTaskbarOn{"NoSetTaskbar", "LockTaskbar", "NoToolbarCustomize", "NoBandCustomize",
                                          "NoChangeStartMenu", "NoDesktopCleanupWizard", "NoActiveDesktop"};

class ApplyE2eTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    clearPolicies();
  }
  void TearDown() override {
    E2eTest::TearDown();
    clearPolicies();
  }

  // The policy values these tests write live outside Software\TSR.
  static void clearPolicies() {
    for (Root root : {Root::Machine, Root::User}) {
      for (const auto& entry : kSwitches)
        if (entry.dword) RegistryFixture::deleteValue(root, entry.key, entry.value);
      for (const char* name : kTaskbarOn) RegistryFixture::deleteValue(root, kExplorer, name);
      for (const char* name : {"EnableBalloonTips", "NoTrayContextMenu", "NoViewOnDrive"})
        RegistryFixture::deleteValue(root, kExplorer, name);
      RegistryFixture::deleteValue(root, kStorage, "WriteProtect");
    }
  }

  // Starts the program and opens its configuration with the master password.
  void openConfiguration() {
    program_.emplace("tessara7");
    ASSERT_TRUE(program_->started());
    main_ = waitForWindow(kMainTitle, 10000, kConfigClass);
    ASSERT_NE(main_, nullptr) << "no main window within 10 s";
    ASSERT_TRUE(postMenuCommand(main_, forms::controlId("mconfig")));
    HWND prompt = nullptr;
    ASSERT_TRUE(waitUntil(5000, [&] {
      prompt = waitForWindow(kPromptTitle, 0, kPromptClass);
      return isVisible(prompt);
    })) << "no password prompt";
    ASSERT_TRUE(setText(prompt, forms::controlId("txtPass"), "openbox"));
    ASSERT_TRUE(clickButton(prompt, forms::controlId("cmdok")));
    ASSERT_TRUE(waitUntil(5000, [&] { return isVisible(main_); })) << "the configuration did not open";
  }

  bool ticked(const char* item) { return query(main_, std::string("menu.") + item + ".checked") == "1"; }

  // Posts the item's menu command when its tick differs, then waits for the tick.
  void setTick(const char* item, bool on) {
    if (ticked(item) == on) return;
    ASSERT_TRUE(postMenuCommand(main_, forms::controlId(item)));
    ASSERT_TRUE(waitUntil(3000, [&] { return ticked(item) == on; })) << item;
  }

  void setAll(bool on) {
    for (const auto& entry : kSwitches) {
      setTick(entry.item, on);
      if (HasFatalFailure()) return;
    }
  }

  bool storedAs(Root root, const MenuSwitch& entry, bool on) {
    if (entry.dword) return RegistryFixture::readDword(root, entry.key, entry.value) == DWORD(on ? 1 : 0);
    return RegistryFixture::readString(root, entry.key, entry.value) == std::string(on ? "1" : "0");
  }

  // Clicks Apply and waits until every switch is stored as expected.
  void applyAndExpect(Root scope, bool on) {
    ASSERT_TRUE(clickButton(main_, forms::controlId("cmdok")));
    const bool stored = waitUntil(5000, [&] {
      for (const auto& entry : kSwitches)
        if (!storedAs(scope, entry, on)) return false;
      return true;
    });
    EXPECT_TRUE(stored);
    for (const auto& entry : kSwitches) {
      if (entry.dword) {
        EXPECT_EQ(RegistryFixture::readDword(scope, entry.key, entry.value), DWORD(on ? 1 : 0)) << entry.item;
        EXPECT_EQ(RegistryFixture::readString(scope, entry.key, entry.value), std::nullopt) << entry.item;
      } else {
        EXPECT_EQ(RegistryFixture::readString(scope, entry.key, entry.value), on ? "1" : "0") << entry.item;
      }
      EXPECT_EQ(ticked(entry.item), on) << entry.item << " after the reload";
    }
    EXPECT_EQ(query(main_, "cmdCancel.caption"), "Close");
  }

  void expectNothingUnder(Root root) {
    for (const auto& entry : kSwitches) {
      EXPECT_EQ(RegistryFixture::readDword(root, entry.key, entry.value), std::nullopt) << entry.item;
      EXPECT_EQ(RegistryFixture::readString(root, entry.key, entry.value), std::nullopt) << entry.item;
    }
  }

  std::optional<Program> program_;
  HWND main_ = nullptr;
};

std::string row(int n) { return "SOFTWARE\\TSR\\Windows" + std::to_string(n); }

TEST_F(ApplyE2eTest, AllUsersWritesEverySwitchTheListsAndTheScopeUnderTheMachine) {
  RegistryFixture::writeString(Root::Machine, row(0), "Window", "Notepad");
  RegistryFixture::writeString(Root::Machine, row(0), "Enabled", "1");
  RegistryFixture::writeString(Root::Machine, row(3), "Window", "Solitaire");
  RegistryFixture::writeString(Root::Machine, row(3), "Enabled", "0");
  RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program0", "Ignored A");
  RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program5", "Ignored B");
  RegistryFixture::writeDword(Root::Machine, kExplorer, "NoRun", 1);  // left by another tool, read back ticked
  openConfiguration();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(query(main_, "cmdCancel.caption"), "Cancel");
  EXPECT_TRUE(ticked("chkRun"));
  EXPECT_TRUE(ticked("chkTaskManager")) << "on by default";

  setAll(true);
  ASSERT_FALSE(HasFatalFailure());
  applyAndExpect(Root::Machine, true);
  expectNothingUnder(Root::User);
  EXPECT_EQ(RegistryFixture::readString(Root::User, kSettings, "CurrentUser"), "Disabled");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, row(0), "Window"), "Notepad");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, row(0), "Enabled"), "1");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, row(1), "Window"), "Solitaire");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, row(1), "Enabled"), "0") << "an unticked row is kept";
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, row(3)));
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program0"), "Ignored A");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program1"), "Ignored B");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program5"), std::nullopt);
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kSettings, "tmp"), std::nullopt);
  EXPECT_EQ(query(main_, "lstignore.items"), "Ignored A\nIgnored B");

  setAll(false);
  ASSERT_FALSE(HasFatalFailure());
  applyAndExpect(Root::Machine, false);
  expectNothingUnder(Root::User);
}

TEST_F(ApplyE2eTest, ThisUserWritesEverySwitchUnderTheCurrentUser) {
  RegistryFixture::chooseThisUser();
  RegistryFixture::writeString(Root::Machine, row(0), "Window", "Machine row");
  openConfiguration();
  ASSERT_FALSE(HasFatalFailure());
  setAll(true);
  ASSERT_FALSE(HasFatalFailure());
  applyAndExpect(Root::User, true);
  expectNothingUnder(Root::Machine);
  EXPECT_EQ(RegistryFixture::readString(Root::User, kSettings, "CurrentUser"), "Enabled");
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, row(0))) << "the machine list goes in either scope";
  EXPECT_EQ(RegistryFixture::readString(Root::User, row(0), "Window"), "Windows Media Player");
  EXPECT_EQ(RegistryFixture::readString(Root::User, row(0), "Enabled"), "0");
  EXPECT_EQ(RegistryFixture::readString(Root::User, row(24), "Window"), "DVD-RAM Drive");

  setAll(false);
  ASSERT_FALSE(HasFatalFailure());
  applyAndExpect(Root::User, false);
  expectNothingUnder(Root::Machine);
}

TEST_F(ApplyE2eTest, SystemProtectionBoxesWriteMachineWideAtTheClickInThisUserScope) {
  RegistryFixture::chooseThisUser();
  openConfiguration();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(query(main_, "chkC.enabled"), "0");
  for (const char* box : {"chkNoViewOnDrive", "chkC", "chklockusb", "chkLockStart"})
    ASSERT_TRUE(clickButton(main_, forms::controlId(box))) << box;

  EXPECT_TRUE(waitUntil(5000, [] {
    return RegistryFixture::readString(Root::Machine, kSettings, "chkLockStart") == "1";
  }));
  EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kExplorer, "NoViewOnDrive"), 4u);
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kSettings, "NoDrives"), "1");
  EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kStorage, "WriteProtect"), 1u);
  for (const char* name : kTaskbarOn) EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kExplorer, name), 1u) << name;
  EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kExplorer, "EnableBalloonTips"), 0u);
  EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kExplorer, "NoTrayContextMenu"), std::nullopt);
  EXPECT_EQ(query(main_, "chkC.value"), "1");
  EXPECT_EQ(query(main_, "chkC.enabled"), "1");

  EXPECT_EQ(RegistryFixture::readDword(Root::User, kExplorer, "NoViewOnDrive"), std::nullopt);
  EXPECT_EQ(RegistryFixture::readDword(Root::User, kExplorer, "LockTaskbar"), std::nullopt);
  EXPECT_EQ(RegistryFixture::readDword(Root::User, kStorage, "WriteProtect"), std::nullopt);
  EXPECT_EQ(RegistryFixture::readString(Root::User, kSettings, "NoDrives"), std::nullopt);
  EXPECT_EQ(RegistryFixture::readString(Root::User, kSettings, "chkLockStart"), std::nullopt);

  // Clearing "No View On Drive" clears and greys C: and the mask.
  ASSERT_TRUE(clickButton(main_, forms::controlId("chkNoViewOnDrive")));
  EXPECT_TRUE(waitUntil(5000, [] {
    return RegistryFixture::readString(Root::Machine, kSettings, "NoDrives") == std::string("0");
  }));
  EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kExplorer, "NoViewOnDrive"), 0u);
  EXPECT_EQ(query(main_, "chkC.value"), "0");
  EXPECT_EQ(query(main_, "chkC.enabled"), "0");
}

TEST_F(ApplyE2eTest, AppliedInternetExplorerLockLocksAnIEFrameWindowFromTheNextTick) {
  openConfiguration();
  ASSERT_FALSE(HasFatalFailure());
  setTick("chkLockIE", true);
  ASSERT_FALSE(HasFatalFailure());

  OwnedWindow browser = lock::makeWindow("IEFrame", "Blank Page - Internet Explorer", true);
  ASSERT_TRUE(browser);
  // Ticked but not applied: nothing happens.
  EXPECT_FALSE(waitUntil(1500, [&] { return IsIconic(browser.get()) != FALSE; }));

  ASSERT_TRUE(clickButton(main_, forms::controlId("cmdok")));
  HWND prompt = nullptr;
  EXPECT_TRUE(waitUntil(5000, [&] {
    prompt = waitForWindow(kPromptTitle, 0, kPromptClass);
    return isVisible(prompt) && query(prompt, "lblProgram.caption") == "Internet Explorer";
  })) << "no prompt for Internet Explorer";
  EXPECT_TRUE(waitUntil(3000, [&] { return IsIconic(browser.get()) != FALSE; })) << "the window is not minimised";
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kSettings, "LockIE"), "1");
}

}  // namespace
}  // namespace e2e
