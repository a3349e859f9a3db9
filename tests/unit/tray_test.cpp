// The tray icon's double click and the two Settings items that switch parts
// of the tray off.
#include "tests/unit/app_fixture.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::testing {
namespace {

constexpr int kDoubleClick = 515;
constexpr int kRightDown = 516;
constexpr int kMouseMove = 512;

class TrayTest : public AppTest {
 protected:
  void SetUp() override { start(); }
};

TEST_F(TrayTest, DoubleClickAsksForTheConfigurationPassword) {
  subsystems().trayMenu.trayMessage(kMouseMove);
  EXPECT_EQ(prompt(), nullptr);
  subsystems().trayMenu.trayMessage(kDoubleClick);
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Configuration");
  typePassword("openbox");
  EXPECT_TRUE(config().visible());
}

TEST_F(TrayTest, DoubleClickDoesNothingAtOnceWhenConfigureIsSwitchedOff) {
  config().mhideconfigure.click();
  EXPECT_EQ(noticeText(), "Open 'tsrrun.exe' to access the configuration in future!");
  subsystems().trayMenu.trayMessage(kDoubleClick);
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_TRUE(config().mconfig.enabled()) << "the menu item follows only at the next load";
}

TEST_F(TrayTest, DoubleClickRaisesNoSecondPromptWhileADialogIsOpen) {
  session().DialogOpen = true;
  subsystems().trayMenu.trayMessage(kDoubleClick);
  EXPECT_EQ(prompt(), nullptr);
}

TEST_F(TrayTest, StoredSwitchesGreyTheTrayMenuAtTheNextLoad) {
  setString(Root::Machine, keys::Settings, "mhideconfigure", "1");
  setString(Root::Machine, keys::Settings, "mhidecoffebreak", "1");
  subsystems().loader.GetConfig();
  EXPECT_FALSE(config().mconfig.enabled());
  EXPECT_FALSE(config().mLockWorkstation.enabled());
  setString(Root::Machine, keys::Settings, "mhideconfigure", "0");
  subsystems().loader.GetConfig();
  EXPECT_TRUE(config().mconfig.enabled());
}

TEST_F(TrayTest, UntickingConfigureShowsNoNotice) {
  config().mhideconfigure.setChecked(true);
  config().mhideconfigure.click();
  EXPECT_FALSE(config().mhideconfigure.checked());
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(TrayTest, AnyMessageEndsTheActionLabelsHighlight) {
  config().lblaction.setColor(0x0000FF);
  subsystems().trayMenu.trayMessage(kRightDown);
  EXPECT_EQ(config().lblaction.color(), 0xC00000u);
}

TEST_F(TrayTest, ClosingTheWindowRemovesTheIcon) {
  ASSERT_EQ(tray.icons.size(), 1u);
  config().close(forms::CloseReason::WindowsSession);
  EXPECT_TRUE(tray.icons.empty());
}

}  // namespace
}  // namespace tessara::testing
