// The uninstall commands alone, on a small form of their own over the
// simulated platform: what the label asks for and arms, the hand-over to the
// uninstaller, the Help menu's item, and when the program agrees to end.
#include "tessara7/uninstall/uninstall_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "shared/names.h"
#include "tessara7/encryption/file_protector.h"

namespace tessara {
namespace {

constexpr const char* kFolder = "C:\\Program Files\\Tessara\\";
const std::string kDataFile = std::string(kFolder) + names::UninstallerData;
const std::string kUninstaller = std::string(kFolder) + names::Uninstaller;

class WelcomePage : public forms::Form {
 public:
  explicit WelcomePage(forms::Runtime& runtime) : Form(runtime, "frmWelcome", "Welcome") {}
  forms::Label cmdUninstall{*this, "cmdUninstall", "Uninstall"};
  forms::Timer tmrFileProtector{*this, "tmrFileProtector", 1000, true};
};

// The prompt, as the granted request sees it.
class Prompt : public PromptFace {
 public:
  void hide() override { shown = false; }
  platform::WindowHandle owner() const override { return 77; }
  void say(const std::string&) override {}
  bool takeIgnoreTick() override { return false; }
  bool shown = true;
};

class UninstallCommandsTest : public ::testing::Test, public UninstallCommands::Host {
 protected:
  void SetUp() override {
    sim.files.addFolder(kFolder);
    sim.files.addFile(kDataFile, "tessara7.exe\r\n");
    sim.files.addFile(kUninstaller, "uninstaller");
  }
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  void requestPassword(PasswordRequest request) override { asked.push_back(std::move(request)); }
  void leavePasswordPending(PasswordRequest request) override { pending.push_back(std::move(request)); }
  bool dialogOpen() const override { return dialog; }
  void setDialogOpen(bool open) override { dialog = open; }
  void deleteTrayIcon() override { ++iconsDeleted; }

  // The right password at the prompt for the last request asked.
  void grantLast() {
    ASSERT_FALSE(asked.empty());
    asked.back().granted({"openbox", prompt});
  }
  int uninstallerStarts() const {
    int count = 0;
    for (const auto& start : sim.shell.started()) count += start.path == kUninstaller ? 1 : 0;
    return count;
  }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  WelcomePage page{runtime};
  std::string appFolder = kFolder;
  FileProtector protector{sim.get(), appFolder};
  UninstallCommands commands{*this, {page, page.cmdUninstall, page.tmrFileProtector}, {sim.get(), protector, appFolder}};
  Prompt prompt;
  std::vector<std::string> notices;
  std::vector<PasswordRequest> asked;
  std::vector<PasswordRequest> pending;
  bool dialog = false;
  bool dialogDuringMessage = false;
  int iconsDeleted = 0;
};

TEST_F(UninstallCommandsTest, TheFirstClickAsksForThePasswordWhichArmsTheLabelAndTellsTheUser) {
  sim.shell.onMessageBox = [this](const platform::sim::ShownMessage&) { dialogDuringMessage = dialog; };
  commands.cmdUninstall_Click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, Action::Uninstall);
  EXPECT_EQ(asked[0].title, "Uninstall Tessara");
  EXPECT_FALSE(commands.armed());
  EXPECT_EQ(uninstallerStarts(), 0) << "the first click started the uninstaller";

  grantLast();
  EXPECT_TRUE(commands.armed());
  EXPECT_EQ(page.cmdUninstall.caption(), "> Uninstall <");
  EXPECT_FALSE(prompt.shown) << "the message stood beside the prompt";
  ASSERT_EQ(sim.shell.messages().size(), 1u);
  EXPECT_EQ(sim.shell.messages()[0].owner, 77u);
  EXPECT_NE(sim.shell.messages()[0].text.find("Click Uninstall again"), std::string::npos);
  EXPECT_TRUE(dialogDuringMessage) << "a prompt could come up over the message";
  EXPECT_FALSE(dialog);
  EXPECT_EQ(uninstallerStarts(), 0);
  EXPECT_FALSE(commands.handedOver());
}

TEST_F(UninstallCommandsTest, OnceArmedAClickGivesTheDataFileBackAndStartsTheUninstallerInItsFolder) {
  protector.tmrFileProtector_Timer();
  ASSERT_TRUE(protector.holdsDataFile());
  commands.passwordGiven();
  page.load();
  ASSERT_TRUE(page.tmrFileProtector.running());
  commands.cmdUninstall_Click();
  EXPECT_TRUE(asked.empty()) << "armed, it asked again";
  EXPECT_FALSE(page.tmrFileProtector.running()) << "the protector could take the file back";
  EXPECT_FALSE(protector.holdsDataFile());
  EXPECT_TRUE(commands.handedOver());
  ASSERT_EQ(uninstallerStarts(), 1);
  EXPECT_EQ(sim.shell.started()[0].folder, kFolder);
  EXPECT_EQ(sim.shell.started()[0].showCommand, platform::SwShowNormal);
  EXPECT_TRUE(notices.empty());
}

TEST_F(UninstallCommandsTest, WithoutItsDataFileOrWhenItCannotStartTheUninstallerIsOnlyReported) {
  commands.passwordGiven();
  ASSERT_TRUE(sim.files.deleteFile(kDataFile));
  commands.cmdUninstall_Click();
  EXPECT_EQ(uninstallerStarts(), 0);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "Tessara cannot be uninstalled from here: the uninstaller's data file 'unins000.dat' is not "
                        "in C:\\Program Files\\Tessara\\.");

  sim.files.addFile(kDataFile, "tessara7.exe\r\n");
  sim.shell.failStart(kUninstaller, "Access is denied.");
  commands.cmdUninstall_Click();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1], "Access is denied.");
}

TEST_F(UninstallCommandsTest, TheMenuHidesTheWindowDropsTheIconAndAsksOrWaitsForTheDialog) {
  page.show();
  commands.mUninstall_Click();
  EXPECT_FALSE(page.visible());
  EXPECT_EQ(iconsDeleted, 1);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, Action::Uninstall);
  EXPECT_TRUE(pending.empty());

  dialog = true;
  page.show();
  commands.mUninstall_Click();
  EXPECT_FALSE(page.visible());
  EXPECT_EQ(iconsDeleted, 2);
  EXPECT_EQ(asked.size(), 1u) << "a prompt came up over the program's dialog";
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].title, "Uninstall Tessara");
}

TEST_F(UninstallCommandsTest, TheProgramEndsOnlyAfterTheHandOverForAnAskerHoldingTheDataFile) {
  {
    auto held = sim.files.openRead(kDataFile);
    EXPECT_FALSE(commands.endForUninstaller()) << "ended before the hand-over";
  }
  protector.tmrFileProtector_Timer();
  commands.passwordGiven();
  commands.cmdUninstall_Click();
  EXPECT_FALSE(commands.endForUninstaller()) << "ended for an asker not holding the data file";
  auto held = sim.files.openRead(kDataFile);
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(commands.endForUninstaller());
  held.reset();
  ASSERT_TRUE(sim.files.deleteFile(kDataFile));
  EXPECT_FALSE(commands.endForUninstaller()) << "a missing data file passed for a held one";
}

}  // namespace
}  // namespace tessara
