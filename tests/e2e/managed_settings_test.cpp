// Settings an administrator manages through Group Policy, in the real
// program: a policy that arrives while Tessara runs locks at once without
// Apply, greys its switch, survives an Apply of the window, and when it goes
// the store's own value is back within two seconds.
#include <windows.h>

#include <string>

#include "tests/e2e/harness.h"
#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

using namespace lock;

constexpr const char* kPolicy = "Software\\Policies\\TSR\\Settings";
constexpr const char* kSettings = "Software\\TSR\\Settings";

class ManagedSettingsE2e : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegistryFixture::deleteTree(Root::Machine, "Software\\Policies\\TSR");
  }
  void TearDown() override {
    RegistryFixture::deleteTree(Root::Machine, "Software\\Policies\\TSR");
    E2eTest::TearDown();
  }
};

TEST_F(ManagedSettingsE2e, APolicyLocksWithoutApplyOutlivesApplyAndGoesWithinTwoSeconds) {
  storeSetting("LockIE", "0");
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  ASSERT_EQ(waitForAnswer(tessara.window, "menu.chkLockIE.enabled", "1"), "1");

  // Group Policy writes its value: the browser lock holds without Apply.
  ASSERT_TRUE(RegistryFixture::writeDword(Root::Machine, kPolicy, "LockIE", 1));
  EXPECT_EQ(waitForAnswer(tessara.window, "menu.chkLockIE.checked", "1", 2000), "1");
  EXPECT_EQ(waitForAnswer(tessara.window, "menu.chkLockIE.enabled", "0", 2000), "0") << "not greyed";
  OwnedWindow browser = makeWindow("IEFrame", "Start page", false);
  ASSERT_TRUE(browser);
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return IsIconic(browser.get()) != FALSE; })) << "the policy did not lock";
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), "Internet Explorer");
  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  ASSERT_TRUE(waitForNoPrompt());

  // The owner applies the window: the store keeps its own value, the policy still shows.
  ASSERT_TRUE(unlockConfiguration(tessara.window));
  ASSERT_TRUE(clickButton(tessara.window, idOf("cmdok")));
  EXPECT_TRUE(holdsFor(1500, [] { return RegistryFixture::readString(Root::Machine, kSettings, "LockIE") == "0"; }));
  EXPECT_EQ(waitForAnswer(tessara.window, "menu.chkLockIE.checked", "1"), "1");

  // The policy goes: within two seconds the store's value is back, and the owner's to change.
  ASSERT_TRUE(RegistryFixture::deleteValue(Root::Machine, kPolicy, "LockIE"));
  EXPECT_EQ(waitForAnswer(tessara.window, "menu.chkLockIE.checked", "0", 2000), "0");
  EXPECT_EQ(waitForAnswer(tessara.window, "menu.chkLockIE.enabled", "1", 2000), "1");
}

// The administrator's lock list: a task in it is locked without Apply, the
// list is greyed and outlives Apply, and the owner's list is back within two
// seconds of the policy's end.
TEST_F(ManagedSettingsE2e, AManagedTaskIsLockedUntilThePolicyGoes) {
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\Policies\\TSR\\Tasks", "Task1", "Ledger"));
  EXPECT_EQ(waitForAnswer(tessara.window, "lstProgram.enabled", "0", 2000), "0") << "not greyed";
  EXPECT_EQ(waitForAnswer(tessara.window, "lstProgram.tooltip", "Set by your administrator"),
            "Set by your administrator");
  {
    OwnedWindow ledger = makeWindow("E2eLedger", "Ledger - Accounts", true);
    ASSERT_TRUE(ledger);
    EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isLockedAway(ledger.get()); })) << "the policy's task was not locked";
    HWND prompt = waitForPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
    ASSERT_TRUE(waitForNoPrompt());
  }
  ASSERT_TRUE(unlockConfiguration(tessara.window));
  ASSERT_TRUE(clickButton(tessara.window, idOf("cmdok")));
  EXPECT_TRUE(holdsFor(1500, [] { return !RegistryFixture::keyExists(Root::Machine, "Software\\TSR\\Windows0"); }))
      << "Apply wrote the policy's list into the store";
  EXPECT_EQ(waitForAnswer(tessara.window, "lstProgram.enabled", "0"), "0");

  ASSERT_TRUE(RegistryFixture::deleteTree(Root::Machine, "Software\\Policies\\TSR\\Tasks"));
  EXPECT_EQ(waitForAnswer(tessara.window, "lstProgram.enabled", "1", 2000), "1");
  OwnedWindow later = makeWindow("E2eLedgerLater", "Ledger - Later", true);
  ASSERT_TRUE(later);
  EXPECT_TRUE(holdsFor(1500, [&] { return !isLockedAway(later.get()) && visiblePrompt() == nullptr; }))
      << "the policy's task was still locked after the policy went";
}

}  // namespace
}  // namespace e2e
