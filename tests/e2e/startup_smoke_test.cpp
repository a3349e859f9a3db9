// Start-up of the main program: one hidden main window, and a single running copy.
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

constexpr const char* kMainTitle = names::MainTitle;

class StartupSmokeTest : public E2eTest {};

TEST_F(StartupSmokeTest, StartsHiddenAndASecondCopyEndsItself) {
  Program first("tessara7");
  ASSERT_TRUE(first.started());

  HWND window = waitForWindow(kMainTitle, 10000);
  ASSERT_NE(window, nullptr) << "no window titled \"" << kMainTitle << "\" within 10 s";
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
  EXPECT_FALSE(isVisible(window));
  EXPECT_EQ(processOf(window), first.pid());

  Program second("tessara7");
  ASSERT_TRUE(second.started());
  EXPECT_TRUE(second.waitExit(10000).has_value()) << "the second copy is still running after 10 s";

  EXPECT_TRUE(first.running());
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
  EXPECT_EQ(processOf(waitForWindow(kMainTitle, 0)), first.pid());
}

}  // namespace
}  // namespace e2e
