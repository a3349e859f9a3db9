// The lock guard between the watchers' ticks: a locked window that shows
// itself again is hidden again at once, also while the prompt is open; a
// window that appears is watched closely until it comes to the front; and an
// idle program runs no quick checks at all.
#include "tests/unit/app_fixture.h"
#include "tessara7/locking/lock_guard.h"

namespace tessara::testing {
namespace {

// What the guard promises, written here so that a changed constant in the
// guard shows as a failure: a window that shows itself again is hidden within
// 10 ms for two seconds after a window event, a lock or a re-show, and within
// 100 ms while a locked window is held after that.
constexpr std::uint64_t kCloseIntervalMs = 10;
constexpr std::uint64_t kHoldIntervalMs = 100;
constexpr std::uint64_t kCloseSpellMs = 2000;

class LockGuardTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    subsystems().lockList.clear();
    subsystems().lockList.append("Notepad", true, false);
  }
  LockGuard& guard() { return subsystems().lockGuard; }
  bool locked(platform::WindowHandle w) { return sim.desktop.isHidden(w) && sim.desktop.isMinimised(w); }
  // The window shows itself again as its own program would, without coming to the front.
  void showsItself(platform::WindowHandle w) { sim.desktop.showWindowAsync(w, platform::SwShowNormal); }
  // The clock advances in steps of 1 ms until the window is hidden; how long that took.
  std::uint64_t msUntilHidden(platform::WindowHandle w, std::uint64_t limit = 1000) {
    std::uint64_t waited = 0;
    while (!sim.desktop.isHidden(w) && waited < limit) {
      sim.clock.advance(1);
      ++waited;
    }
    return waited;
  }
};

TEST_F(LockGuardTest, ALockedWindowThatShowsItselfAgainIsHiddenAgainWithinTheCloseInterval) {
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  ASSERT_TRUE(locked(notepad));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(guard().heldCount(), 1u);

  // Another window takes the front, then Notepad shows itself over and over
  // while the prompt waits: it never stays up longer than one quick check.
  auto other = sim.desktop.createWindow("Calculator", "Calc");
  for (int round = 0; round < 20; ++round) {
    showsItself(notepad);
    ASSERT_FALSE(sim.desktop.isHidden(notepad));
    EXPECT_LE(msUntilHidden(notepad), kCloseIntervalMs) << "round " << round;
    sim.clock.advance(190);
    EXPECT_TRUE(sim.desktop.isHidden(notepad)) << "stays hidden between its shows, round " << round;
  }
  EXPECT_EQ(state().PendingWindow, notepad) << "the prompt still guards it";
  EXPECT_FALSE(locked(other));

  // After a quiet spell the checks slow down, and still catch it.
  sim.clock.advance(kCloseSpellMs);
  EXPECT_EQ(config().tmrGuard.interval(), kHoldIntervalMs);
  showsItself(notepad);
  EXPECT_LE(msUntilHidden(notepad), kHoldIntervalMs);
}

TEST_F(LockGuardTest, TheRightPasswordEndsTheHoldAndTheChecksStop) {
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  typePassword("openbox");
  EXPECT_FALSE(sim.desktop.isHidden(notepad));
  EXPECT_EQ(guard().heldCount(), 0u);
  sim.clock.advance(kCloseSpellMs + 500);
  EXPECT_FALSE(sim.desktop.isHidden(notepad)) << "a released window is left alone";
  EXPECT_FALSE(config().tmrGuard.running()) << "nothing left to watch";
  EXPECT_EQ(sim.clock.runningTimers(), 4u) << "only the watchers', the command runner's and the protector's ticks wake the program";
}

TEST_F(LockGuardTest, AWindowThatIsClosedOrReleasedByItsClassIsForgotten) {
  auto first = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  auto second = sim.desktop.createWindow("notes.txt - Notepad", "Notepad");
  sim.clock.advance(10);
  ASSERT_EQ(guard().heldCount(), 2u);
  typePassword("openbox");  // releases the class, and the window the prompt named
  EXPECT_FALSE(sim.desktop.isHidden(second));
  showsItself(first);
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_FALSE(sim.desktop.isHidden(first)) << "its class was released";
  EXPECT_EQ(guard().heldCount(), 0u);

  config().mnuResetLocks.click();
  auto third = sim.desktop.createWindow("third - Notepad", "Notepad");
  sim.clock.advance(500);
  ASSERT_EQ(guard().heldCount(), 1u);
  sim.desktop.destroyWindow(third);
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_EQ(guard().heldCount(), 0u);
}

// A window that appears (its creation is reported) may come to the front a
// little later; the guard watches the front closely meanwhile instead of
// waiting for the next tick.
TEST_F(LockGuardTest, AnAppearedWindowIsLockedAsSoonAsItComesToTheFront) {
  sim.clock.advance(250);  // mid-way between two ticks
  auto plain = sim.desktop.createWindow("Untitled - Notepad", "PlainWindow", 0);
  guard().windowAppeared();
  sim.clock.advance(100);
  sim.desktop.showWindowAsync(plain, platform::SwShow);
  sim.desktop.bringToFront(plain);
  EXPECT_LE(msUntilHidden(plain), kCloseIntervalMs);
  EXPECT_TRUE(locked(plain));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(state().PendingWindow, plain);
}

TEST_F(LockGuardTest, WhileADialogIsOpenAWindowThatComesBackIsHiddenWithoutAPrompt) {
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  sim.desktop.setRefusesClose(notepad, true);
  prompt()->cmdCancelPWD.click();  // asks Notepad to close; it refuses (unsaved text)
  app().collect();
  ASSERT_EQ(prompt(), nullptr);
  ASSERT_EQ(sim.desktop.closeRequests(), std::vector<platform::WindowHandle>{notepad});
  state().DialogOpen = true;
  showsItself(notepad);
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_TRUE(sim.desktop.isHidden(notepad));
  EXPECT_EQ(prompt(), nullptr);
  state().DialogOpen = false;
  showsItself(notepad);
  sim.clock.advance(kHoldIntervalMs);
  EXPECT_TRUE(sim.desktop.isHidden(notepad));
  ASSERT_NE(prompt(), nullptr) << "with nothing else asked, the prompt asks for it again";
  EXPECT_EQ(state().PendingWindow, notepad);
}

}  // namespace
}  // namespace tessara::testing
