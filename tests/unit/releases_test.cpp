// The releases alone, over the simulated desktop: what each kind of release
// covers, how long it lasts as windows come and go, and the debug lists
// showing them.
#include "tessara7/locking/releases.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"

namespace tessara {
namespace {

using Texts = std::vector<std::string>;

class DebugPage : public forms::Form {
 public:
  explicit DebugPage(forms::Runtime& runtime) : Form(runtime, "frmDebug", "Debug") {}
  forms::ListBox lstAllow{*this, "lstAllow"};
  forms::ListBox lstUnlockedWin{*this, "lstUnlockedWin"};
};

class ReleasesTest : public ::testing::Test {
 protected:
  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  DebugPage page{runtime};
  platform::sim::SimDesktop desktop;
  Releases releases{page.lstAllow, page.lstUnlockedWin};
};

TEST_F(ReleasesTest, AClassReleaseLastsWhileAWindowOfTheClassExists) {
  const auto first = desktop.createWindow("Untitled - Notepad", "Notepad");
  const auto second = desktop.createWindow("notes.txt - Notepad", "Notepad");
  desktop.createWindow("Paint", "MSPaintApp");
  releases.releaseClass("Notepad", "Untitled - Notepad");
  releases.releaseClass("MSPaintApp", "Paint");
  EXPECT_EQ(page.lstAllow.items(), (Texts{"Notepad", "MSPaintApp"}));
  EXPECT_EQ(page.lstUnlockedWin.items(), (Texts{"Untitled - Notepad", "Paint"}));

  desktop.destroyWindow(first);
  releases.prune(desktop);
  EXPECT_TRUE(releases.classReleased("Notepad")) << "another window of the class is open";
  desktop.destroyWindow(second);
  releases.prune(desktop);
  EXPECT_FALSE(releases.classReleased("Notepad"));
  EXPECT_TRUE(releases.classReleased("MSPaintApp"));
  EXPECT_EQ(page.lstAllow.items(), Texts{"MSPaintApp"});
  EXPECT_EQ(page.lstUnlockedWin.items(), (Texts{"Untitled - Notepad", "Paint"})) << "the titles are a record";
}

TEST_F(ReleasesTest, AHandleReleaseCoversThatWindowOnlyWhileItLives) {
  const auto dialog = desktop.createWindow("File Download", "#32770");
  const auto sibling = desktop.createWindow("Save As", "#32770");
  releases.releaseWindow(dialog);
  EXPECT_EQ(page.lstAllow.items(), Texts{std::to_string(dialog)});
  EXPECT_TRUE(releases.windowReleased(dialog));
  EXPECT_FALSE(releases.windowReleased(sibling));
  EXPECT_FALSE(releases.classReleased("#32770")) << "a window's release is not its class's";
  EXPECT_FALSE(releases.windowReleased(0));
  releases.prune(desktop);
  EXPECT_TRUE(releases.windowReleased(dialog));
  desktop.destroyWindow(dialog);
  releases.prune(desktop);
  EXPECT_FALSE(releases.windowReleased(dialog));
  EXPECT_EQ(page.lstAllow.count(), 0);
}

// A class whose name is digits stays a class: it neither releases the window
// of that handle nor lasts as long as that window.
TEST_F(ReleasesTest, AClassNamedWithDigitsIsNoHandle) {
  const auto window = desktop.createWindow("Numbered", "Other");
  releases.releaseClass(std::to_string(window), "Numbered");
  EXPECT_FALSE(releases.windowReleased(window));
  releases.prune(desktop);
  EXPECT_EQ(page.lstAllow.count(), 0) << "no window of that class";
}

TEST_F(ReleasesTest, AProcessReleaseEndsWithItsLastWindowOrItsProcess) {
  desktop.startProcess(40, 1000, "game.exe");
  desktop.startProcess(41, 1000, "other.exe");
  const auto w = desktop.createWindow("Game", "GameWindow");
  desktop.setWindowProcess(w, 40);
  const auto key = *desktop.process(40);
  releases.releaseProcess(key, "Game");
  releases.releaseProcess(key, "Game - level 2");
  EXPECT_EQ(page.lstAllow.count(), 0) << "no class or handle is released for a process";
  EXPECT_EQ(page.lstUnlockedWin.items(), (Texts{"Game", "Game - level 2"}));
  releases.prune(desktop);
  EXPECT_TRUE(releases.processReleased(key));
  EXPECT_FALSE(releases.processReleased(*desktop.process(41)));

  desktop.destroyWindow(w);
  releases.prune(desktop);
  EXPECT_FALSE(releases.processReleased(key)) << "its last window went";

  releases.releaseProcess(key, "Game");
  desktop.setWindowProcess(desktop.createWindow("Game", "GameWindow"), 40);
  desktop.endProcess(40);
  desktop.startProcess(40, 2000, "game.exe");
  releases.prune(desktop);
  EXPECT_FALSE(releases.processReleased(key)) << "the id was reused by a new process";
}

TEST_F(ReleasesTest, ResetWithdrawsEveryRelease) {
  const auto w = desktop.createWindow("Untitled - Notepad", "Notepad");
  desktop.startProcess(40, 1000, "game.exe");
  releases.releaseClass("Notepad", "Untitled - Notepad");
  releases.releaseWindow(w);
  releases.releaseProcess(*desktop.process(40), "Game");
  releases.mnuResetLocks_Click();
  EXPECT_FALSE(releases.classReleased("Notepad"));
  EXPECT_FALSE(releases.windowReleased(w));
  EXPECT_FALSE(releases.processReleased(*desktop.process(40)));
  EXPECT_EQ(page.lstAllow.count(), 0);
  EXPECT_EQ(page.lstUnlockedWin.count(), 0);
}

}  // namespace
}  // namespace tessara
