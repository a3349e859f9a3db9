// The guarded uninstall on the simulated platform: the two clicks of the
// Uninstall label, the Help menu's item, and when the program agrees to end
// for the uninstaller.
#include "platform/sim/sim_files.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {


constexpr const char* kFolder = "C:\\Program Files\\Tessara\\";
const std::string kProgram = std::string(kFolder) + "tessara7.exe";
const std::string kDataFile = std::string(kFolder) + "unins000.dat";
const std::string kUninstaller = std::string(kFolder) + "unins000.exe";
// SHA-256 of "program v7", as the setup records it.
constexpr const char* kProgramDigest = "60fb9d11748a81a46d44581223d9622d96dd4147eb89706eb0297efb1c2cc8e9";

class UninstallTest : public AppTest {
 protected:
  void install() {
    sim.files.addFolder(kFolder);
    sim.files.addFile(kProgram, "program v7");
    sim.files.addFile(kDataFile, "tessara7.exe\r\n");
    sim.files.addFile(kUninstaller, "uninstaller");
    sim.files.addFolder("C:\\ProgramData\\Tessara");
    sim.registry.writeString(platform::Root::Machine, "Software\\TSR\\Guard", "ProgramSha256", kProgramDigest);
  }
  void tick() { sim.clock.advance(1000); }
  // Whether another program (the uninstaller) can open the data file now.
  bool dataFileFree() { return sim.files.openRead(kDataFile) != nullptr; }
  int uninstallerStarts() {
    int count = 0;
    for (const auto& start : sim.shell.started()) count += start.path == kUninstaller ? 1 : 0;
    return count;
  }
};

TEST_F(UninstallTest, SecondClickAfterThePasswordHandsOverTheFileAndStartsTheUninstaller) {
  install();
  start();
  tick();
  config().cmdUninstall.click();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Uninstall Tessara");
  EXPECT_EQ(uninstallerStarts(), 0) << "the first click touched files";
  typePassword("openbox");
  EXPECT_EQ(config().cmdUninstall.caption(), "> Uninstall <");
  EXPECT_FALSE(dataFileFree());
  EXPECT_FALSE(app().uninstall().endForUninstaller()) << "the program agreed to end before the hand-over";

  config().cmdUninstall.click();
  EXPECT_FALSE(config().tmrFileProtector.running());
  ASSERT_EQ(uninstallerStarts(), 1);
  EXPECT_EQ(sim.shell.started().back().showCommand, platform::SwShowNormal);
  tick();
  tick();
  EXPECT_TRUE(dataFileFree()) << "the protector took the file back";

  // Ending for good needs the uninstaller holding the data file.
  EXPECT_FALSE(app().uninstall().endForUninstaller()) << "anyone could end the program after the hand-over";
  {
    auto held = sim.files.openRead(kDataFile);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(app().uninstall().endForUninstaller());
  }

  // Given back already: a further click starts the uninstaller again, but
  // never without its data file.
  config().cmdUninstall.click();
  EXPECT_EQ(uninstallerStarts(), 2);
  ASSERT_TRUE(sim.files.deleteFile(kDataFile));
  config().cmdUninstall.click();
  EXPECT_EQ(uninstallerStarts(), 2);
  EXPECT_NE(noticeText().find("unins000.dat"), std::string::npos);
  EXPECT_EQ(quitCount, 0) << "the command ended the program";
}

TEST_F(UninstallTest, HelpMenuHidesTheWindowRemovesTheIconAndPrompts) {
  install();
  start();
  config().show();
  ASSERT_EQ(tray.icons.size(), 1u);
  config().mUninstall.click();
  EXPECT_FALSE(config().visible());
  EXPECT_TRUE(tray.icons.empty()) << "the tray icon stayed";
  ASSERT_NE(prompt(), nullptr);
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_EQ(config().cmdUninstall.caption(), "Uninstall");

  // Over one of the program's dialogs: no prompt, but the window and icon still go.
  app().addTrayIcon();
  state().DialogOpen = true;
  config().mUninstall.click();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(state().PendingAction, Action::Uninstall);
  EXPECT_TRUE(tray.icons.empty());
  state().DialogOpen = false;
}

}  // namespace
}  // namespace tessara::testing
