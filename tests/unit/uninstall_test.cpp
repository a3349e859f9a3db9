// The file protector and the guarded uninstall on the simulated platform:
// what the protector holds and restores, the two clicks of the Uninstall
// label, the Help menu's item, and when the program agrees to end for the
// uninstaller.
#include "platform/sim/sim_files.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

using platform::sim::AttributeHidden;

constexpr const char* kFolder = "C:\\Program Files\\Tessara\\";
const std::string kProgram = std::string(kFolder) + "tessara7.exe";
const std::string kDataFile = std::string(kFolder) + "unins000.dat";
const std::string kUninstaller = std::string(kFolder) + "unins000.exe";
const std::string kSpare = "C:\\ProgramData\\Tessara\\tsr7spare.exe";
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

TEST_F(UninstallTest, ProtectorHoldsTheDataFileKeepsASpareAndRestoresTheProgram) {
  install();
  sim.files.lockFile(kDataFile);  // another program has it open: the next tick tries again
  start();
  tick();
  EXPECT_EQ(sim.files.openFileCount(), 0u);
  sim.files.lockFile(kDataFile, false);
  tick();
  EXPECT_FALSE(dataFileFree()) << "the uninstaller could read its data file";
  // The setup's spare went missing: the program makes it again from itself.
  ASSERT_EQ(sim.files.content(kSpare), "program v7");
  EXPECT_NE(*sim.files.attributes(kSpare) & AttributeHidden, 0u) << "the spare copy is not hidden";

  // The program file goes (renamed away while it runs): the next tick brings it back.
  ASSERT_TRUE(sim.files.renameNoReplace(kProgram, std::string(kFolder) + "gone.exe"));
  tick();
  EXPECT_EQ(sim.files.content(kProgram), "program v7");
  EXPECT_EQ(*sim.files.attributes(kProgram) & AttributeHidden, 0u);

  EXPECT_EQ(sim.files.openFileCount(), 1u) << "one handle, held across ticks";
}

// Another user's program put where the spare lies, or a program file that
// is not the one installed, is never copied anywhere.
TEST_F(UninstallTest, ProtectorTrustsOnlyTheProgramTheSetupRecorded) {
  install();
  sim.files.addFile(kSpare, "someone else's program");
  ASSERT_TRUE(sim.files.deleteFile(kProgram));
  start();
  tick();
  tick();
  EXPECT_FALSE(sim.files.exists(kProgram)) << "a spare that is not the installed program was put back";

  sim.files.addFile(kProgram, "program v7");
  ASSERT_TRUE(sim.files.deleteFile(kSpare));
  sim.registry.writeString(platform::Root::Machine, "Software\\TSR\\Guard", "ProgramSha256", std::string(64, '0'));
  tick();
  EXPECT_FALSE(sim.files.exists(kSpare)) << "a program that is not the installed one was made the spare";

  // With nothing recorded (an install of an earlier version), nothing is restored either.
  sim.registry.deleteValue(platform::Root::Machine, "Software\\TSR\\Guard", "ProgramSha256");
  sim.files.addFile(kSpare, "program v7");
  ASSERT_TRUE(sim.files.deleteFile(kProgram));
  tick();
  EXPECT_FALSE(sim.files.exists(kProgram));
}

TEST_F(UninstallTest, ProtectorLeavesAProgramTheSetupDidNotInstall) {
  sim.files.addFolder(kFolder);
  sim.files.addFile(kProgram, "program v7");
  start();
  tick();
  tick();
  EXPECT_FALSE(sim.files.exists(kSpare)) << "a program run from a build folder made a spare copy";
}

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
