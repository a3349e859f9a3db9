// A long configuration from start to Apply, as its owner meets it: every row
// and ignored title the store holds reaches the window and its real list
// boxes, and Apply writes the same store back. (The transfer tool's run
// without a command is in transfer_test.cpp.)
#include <string>
#include <vector>

#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

constexpr int kRows = 999;      // all the rows the program reads back
constexpr int kIgnored = 1000;  // all the ignored titles it reads back

std::string rowKey(int row) { return "SOFTWARE\\TSR\\Windows" + std::to_string(row); }
std::string rowText(int row) { return "Row " + std::to_string(row) + " - Notepad"; }
bool rowTicked(int row) { return row % 7 != 0; }
std::string ignoredTitle(int n) { return "Ignored title " + std::to_string(n); }

class FullStoreTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    for (int row = 0; row < kRows; ++row) {
      ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, rowKey(row), "Window", rowText(row)));
      ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, rowKey(row), "Enabled", rowTicked(row) ? "1" : "0"));
    }
    for (int n = 0; n < kIgnored; ++n)
      ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program" + std::to_string(n),
                                               ignoredTitle(n)));
  }

  static std::vector<std::string> expectedTexts() {
    std::vector<std::string> texts;
    for (int row = 0; row < kRows; ++row) texts.push_back(rowText(row));
    return texts;
  }
  static std::vector<std::string> expectedChecks() {
    std::vector<std::string> checks;
    for (int row = 0; row < kRows; ++row) checks.push_back(rowTicked(row) ? "1" : "0");
    return checks;
  }
  static LRESULT sendTo(HWND form, const char* control, UINT message, WPARAM wParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(form, idOf(control)), message, wParam, 0, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
  }
};

TEST_F(FullStoreTest, EveryRowAndIgnoredTitleLoadsAndApplyWritesThemBack) {
  Program tessara("tessara7");
  HWND main = waitForMainWindow(30000);
  ASSERT_NE(main, nullptr) << "no \"Tessara 7\" window within 30 s";

  // The model holds the whole store ...
  const auto items = query(main, "lstProgram.items");
  ASSERT_TRUE(items.has_value());
  EXPECT_EQ(splitLines(*items), expectedTexts());
  const auto checks = query(main, "lstProgram.checks");
  ASSERT_TRUE(checks.has_value());
  EXPECT_EQ(splitLines(*checks), expectedChecks());
  const auto ignored = query(main, "lstignore.items");
  ASSERT_TRUE(ignored.has_value());
  const auto titles = splitLines(*ignored);
  ASSERT_EQ(titles.size(), static_cast<std::size_t>(kIgnored));
  EXPECT_EQ(titles.front(), ignoredTitle(0));
  EXPECT_EQ(titles.back(), ignoredTitle(kIgnored - 1));
  EXPECT_EQ(query(main, "lblStatus.caption"),
            "Locked programs and windows: 856 of 999\nSettings apply to: All users");

  // ... and so do the real list boxes, ticks included.
  EXPECT_EQ(sendTo(main, "lstProgram", LB_GETCOUNT), kRows);
  EXPECT_EQ(sendTo(main, "lstignore", LB_GETCOUNT), kIgnored);
  for (int row : {0, 1, 7, 500, 998})
    EXPECT_EQ(sendTo(main, "lstProgram", LB_GETITEMDATA, static_cast<WPARAM>(row)), rowTicked(row) ? 1 : 0) << row;

  // Apply with the configuration open writes the same store back.
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, rowKey(999), "Window", "Beyond the last row"));
  ASSERT_TRUE(unlockConfiguration(main));
  ASSERT_TRUE(clickButton(main, idOf("cmdok")));
  EXPECT_EQ(waitForAnswer(main, "cmdCancel.caption", "Close", 30000), "Close") << "Apply did not finish";
  for (int row : {0, 1, 7, 500, 998}) {
    EXPECT_EQ(RegistryFixture::readString(Root::Machine, rowKey(row), "Window"), rowText(row));
    EXPECT_EQ(RegistryFixture::readString(Root::Machine, rowKey(row), "Enabled"), rowTicked(row) ? "1" : "0");
  }
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, rowKey(999))) << "Apply clears rows up to 999";
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program999"),
            ignoredTitle(kIgnored - 1));
  EXPECT_EQ(query(main, "lstProgram.checks"), *checks) << "the reload after Apply shows the same list";
  EXPECT_EQ(sendTo(main, "lstProgram", LB_GETCOUNT), kRows);
}

}  // namespace
}  // namespace e2e
