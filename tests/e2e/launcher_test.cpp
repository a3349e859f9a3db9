// The launcher and the advanced watcher: tsrrun starts the main program when
// needed and its window brings up the configuration prompt; the Advanced
// menu's fixed locks hold real windows.
#include "forms/control_id.h"
#include "tests/e2e/lock_helpers.h"

namespace e2e {
namespace {

using namespace lock;

constexpr const char* kLauncherTitle = names::LauncherTitle;

class LauncherTest : public E2eTest {};

TEST_F(LauncherTest, LauncherStartsTheProgramAndOpensTheConfigurationPrompt) {
  ASSERT_EQ(countTopLevelWindows(kMainTitle), 0);
  Program launcher("tsrrun");
  ASSERT_TRUE(launcher.started());
  HWND launcherWindow = waitForWindow(kLauncherTitle, 5000);
  ASSERT_NE(launcherWindow, nullptr) << "no launcher window";
  HWND main = waitForWindow(kMainTitle, 10000, "Tessara.frmConfig");
  ASSERT_NE(main, nullptr) << "the launcher did not start the main program";

  HWND prompt = waitForPrompt(5000);
  ASSERT_NE(prompt, nullptr) << "the launcher's window raised no prompt";
  EXPECT_EQ(promptSubject(prompt), "Configuration Tool");
  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return query(main, "form.visible") == "1"; }))
      << "the configuration did not open";

  // The launcher goes by itself after two seconds; the program stays.
  EXPECT_TRUE(launcher.waitExit(5000).has_value());
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
}

// A full store takes the program seconds to load: the launcher's two seconds
// count from the moment its window exists, so the prompt still comes.
TEST_F(LauncherTest, LauncherWaitsForAProgramLoadingAFullStore) {
  for (int row = 0; row < 999; ++row) {
    const std::string key = "SOFTWARE\\TSR\\Windows" + std::to_string(row);
    ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, key, "Window", "Locked task number " + std::to_string(row)));
    ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, key, "Enabled", row % 7 == 0 ? "0" : "1"));
  }
  for (int n = 0; n < 1000; ++n)
    ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, kIgnoreKey, "Program" + std::to_string(n),
                                             "Ignored window title " + std::to_string(n)));
  Program launcher("tsrrun");
  ASSERT_TRUE(launcher.started());
  HWND prompt = waitForPrompt(35000);
  ASSERT_NE(prompt, nullptr) << "the launcher's window was gone before the program could see it";
  EXPECT_EQ(promptSubject(prompt), "Configuration Tool");
  EXPECT_TRUE(launcher.waitExit(5000).has_value()) << "the launcher stayed";
}

TEST_F(LauncherTest, LauncherStartsNoSecondCopy) {
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  Program launcher("tsrrun");
  ASSERT_TRUE(launcher.waitExit(6000).has_value());
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
  EXPECT_TRUE(tessara.program.running());
}

TEST_F(LauncherTest, TaskManagerIsLockedUntilThePassword) {
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  OwnedWindow taskManager = makeWindow("TaskManagerProbe", "Windows Task Manager", true);
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return isLockedAway(taskManager.get()); }))
      << "the Task Manager window was not locked";
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), "Restrictions");
  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isReleased(taskManager.get()); }));
  // Released for as long as it lives: later ticks leave it alone.
  EXPECT_TRUE(holdsFor(1500, [&] { return isReleased(taskManager.get()); }));
}

}  // namespace
}  // namespace e2e
