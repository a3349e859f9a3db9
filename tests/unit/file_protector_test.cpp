// The file protector alone, on the simulated platform: what it holds, the
// spare copy it keeps, and the program file it restores, but only the one
// the setup installed.
#include "tessara7/encryption/file_protector.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_platform.h"

namespace tessara {
namespace {

using platform::sim::AttributeHidden;

constexpr const char* kFolder = "C:\\Program Files\\Tessara\\";
const std::string kProgram = std::string(kFolder) + "tessara7.exe";
const std::string kDataFile = std::string(kFolder) + "unins000.dat";
const std::string kSpare = "C:\\ProgramData\\Tessara\\tsr7spare.exe";
// SHA-256 of "program v7", as the setup records it.
constexpr const char* kProgramDigest = "60fb9d11748a81a46d44581223d9622d96dd4147eb89706eb0297efb1c2cc8e9";

class FileProtectorTest : public ::testing::Test {
 protected:
  void install() {
    sim.files.addFolder(kFolder);
    sim.files.addFile(kProgram, "program v7");
    sim.files.addFile(kDataFile, "tessara7.exe\r\n");
    sim.files.addFolder("C:\\ProgramData\\Tessara");
    sim.registry.writeString(platform::Root::Machine, "Software\\TSR\\Guard", "ProgramSha256", kProgramDigest);
  }
  // The protector's timer ticks once a second.
  void tick() {
    sim.clock.advance(1000);
    protector.tmrFileProtector_Timer();
  }
  // Whether another program (the uninstaller) can open the data file now.
  bool dataFileFree() { return sim.files.openRead(kDataFile) != nullptr; }

  platform::sim::SimPlatform sim;
  std::string appFolder = kFolder;
  FileProtector protector{sim.get(), appFolder};
};

TEST_F(FileProtectorTest, HoldsTheDataFileKeepsASpareAndRestoresTheProgram) {
  install();
  sim.files.lockFile(kDataFile);  // another program has it open: the next tick tries again
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
TEST_F(FileProtectorTest, TrustsOnlyTheProgramTheSetupRecorded) {
  install();
  sim.files.addFile(kSpare, "someone else's program");
  ASSERT_TRUE(sim.files.deleteFile(kProgram));
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

TEST_F(FileProtectorTest, LeavesAProgramTheSetupDidNotInstall) {
  sim.files.addFolder(kFolder);
  sim.files.addFile(kProgram, "program v7");
  tick();
  tick();
  EXPECT_FALSE(sim.files.exists(kSpare)) << "a program run from a build folder made a spare copy";
}

}  // namespace
}  // namespace tessara
