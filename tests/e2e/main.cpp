// Entry point of the end-to-end tests: checks where the built programs are, then runs.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness.h"

namespace {

// Stops the run at once when TESSARA_BIN does not lead to the built programs, instead of
// letting every test fail on a program that cannot start.
class ProgramsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::string folder = e2e::programFolder();
    ASSERT_FALSE(folder.empty()) << "TESSARA_BIN is not set; ctest sets it to the folder of tessara7.exe";
    for (const char* name : {names::MainProgram, names::TransferProgram, names::LauncherProgram}) {
      const std::string path = folder + "\\" + name;
      ASSERT_NE(GetFileAttributesW(e2e::widen(path).c_str()), INVALID_FILE_ATTRIBUTES)
          << path << " does not exist (TESSARA_BIN=" << folder << ")";
    }
    e2e::endAllPrograms();
  }
  void TearDown() override { e2e::endAllPrograms(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ProgramsEnvironment);
  return RUN_ALL_TESTS();
}
