// The lock guard alone, between the watchers' ticks: a locked window that
// shows itself again is hidden again at once, a released or closed one is
// forgotten, the front is watched for a change, and the computer lock keeps
// the checks going. The guard runs on a small form of its own over the
// simulated desktop; the watchers and the prompt are what it asks of its
// host (with them, see foreground_watcher_test.cpp).
#include "tessara7/locking/lock_guard.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "forms/form.h"
#include "platform/sim/sim_platform.h"
#include "tessara7/locking/releases.h"
#include "tests/unit/held_window_checks.h"

namespace tessara {
namespace {

using namespace testing;  // the held-window checks and the guard's promises

class GuardPage : public forms::Form {
 public:
  explicit GuardPage(forms::Runtime& runtime) : Form(runtime, "frmConfig", "Configuration") {}
  forms::Timer tmrGuard{*this, "tmrGuard", LockGuard::CloseIntervalMs, false};
  forms::ListBox lstAllow{*this, "lstAllow"};
  forms::ListBox lstUnlockedWin{*this, "lstUnlockedWin"};
};

class LockGuardTest : public ::testing::Test, public LockGuard::Host, public HeldWindowChecks {
 protected:
  LockGuardTest() : HeldWindowChecks(sim) {}

  // Wired as the configuration window wires its timer.
  void SetUp() override {
    page.tmrGuard.onTimer = [this] { guard.tmrGuard_Timer(); };
    page.load();
  }

  // The prompt: the last request it was asked, until the password is given.
  void requestPassword(PasswordRequest request) override { asked = std::move(request); }
  bool promptAsksForAnother(platform::WindowHandle window) const override {
    return asked && asked->window != window;
  }
  platform::WindowHandle watchedForeground() const override { return watched; }
  bool computerLocked() const override { return blankScreen; }
  bool keepComputerLockInPlace() override {
    ++inPlaceChecks;
    const bool putBack = promptMoved;
    promptMoved = false;
    return putBack;
  }

  // A watcher's tick: it sees the window at the front.
  void runWatchers() {
    ++watcherRuns;
    watched = sim.desktop.foregroundWindow();
  }
  // As a watcher locks a listed window: the prompt asks for it, and it is
  // minimised, hidden and held.
  void lock(platform::WindowHandle w, const std::string& title) {
    PasswordRequest request{Action::ListedWindow, title, w, "Notepad", std::nullopt};
    requestPassword(request);
    sim.desktop.showWindowAsync(w, platform::SwMinimize);
    sim.desktop.showWindowAsync(w, platform::SwHide);
    guard.held(std::move(request));
  }
  // As the right password does for the window the prompt names: its class
  // is released and the window shown again.
  void givePassword() {
    ASSERT_TRUE(asked);
    releases.releaseClass(asked->item.value_or(""), asked->title.value_or(""));
    guard.showReleased(asked->window);
    asked.reset();
  }
  const PasswordRequest* prompt() const { return asked ? &*asked : nullptr; }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  GuardPage page{runtime};
  Releases releases{page.lstAllow, page.lstUnlockedWin};
  LockGuard guard{*this, {page.tmrGuard, [this] { runWatchers(); }, sim.clock, sim.desktop, releases}};
  std::optional<PasswordRequest> asked;
  platform::WindowHandle watched = 0;
  int watcherRuns = 0;
  bool blankScreen = false;
  bool promptMoved = false;
  int inPlaceChecks = 0;
};

TEST_F(LockGuardTest, ALockedWindowThatShowsItselfAgainIsHiddenAgainWithinTheCloseInterval) {
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  lock(notepad, "Untitled - Notepad");
  sim.clock.advance(500);
  ASSERT_TRUE(locked(notepad));
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(guard.heldCount(), 1u);

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
  EXPECT_EQ(prompt()->window, notepad) << "the prompt still guards it";
  EXPECT_FALSE(locked(other));

  // After a quiet spell the checks slow down, and still catch it.
  sim.clock.advance(kCloseSpellMs);
  EXPECT_EQ(page.tmrGuard.interval(), kHoldIntervalMs);
  showsItself(notepad);
  EXPECT_LE(msUntilHidden(notepad), kHoldIntervalMs);
}

TEST_F(LockGuardTest, AWindowThatIsClosedOrReleasedByItsClassIsForgotten) {
  auto first = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  lock(first, "Untitled - Notepad");
  sim.clock.advance(500);
  auto second = sim.desktop.createWindow("notes.txt - Notepad", "Notepad");
  lock(second, "notes.txt - Notepad");
  sim.clock.advance(10);
  ASSERT_EQ(guard.heldCount(), 2u);
  givePassword();  // releases the class, and the window the prompt named
  EXPECT_FALSE(sim.desktop.isHidden(second));
  showsItself(first);
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_FALSE(sim.desktop.isHidden(first)) << "its class was released";
  EXPECT_EQ(guard.heldCount(), 0u);

  releases.mnuResetLocks_Click();
  auto third = sim.desktop.createWindow("third - Notepad", "Notepad");
  lock(third, "third - Notepad");
  sim.clock.advance(500);
  ASSERT_EQ(guard.heldCount(), 1u);
  sim.desktop.destroyWindow(third);
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_EQ(guard.heldCount(), 0u);
}

// A held window that shows itself while the prompt asks for another one is
// hidden without taking the prompt over; once the prompt is free it is asked
// for again.
TEST_F(LockGuardTest, AWindowThatComesBackWhileThePromptAsksForAnotherIsHiddenWithoutTakingItOver) {
  auto first = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  lock(first, "Untitled - Notepad");
  auto second = sim.desktop.createWindow("notes.txt - Notepad", "Notepad");
  lock(second, "notes.txt - Notepad");
  showsItself(first);
  EXPECT_LE(msUntilHidden(first), kCloseIntervalMs);
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->window, second);

  asked.reset();  // the prompt was cancelled; both windows stay held
  showsItself(first);
  EXPECT_LE(msUntilHidden(first), kCloseIntervalMs);
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->window, first);
  EXPECT_EQ(prompt()->action, Action::ListedWindow);
}

// Between the watchers' ticks the guard runs them only when the front
// changed: a steady front costs no watcher runs.
TEST_F(LockGuardTest, TheWatchersRunBetweenTheirTicksOnlyWhenTheFrontChanges) {
  guard.watchClosely();
  sim.clock.advance(100);
  EXPECT_EQ(watcherRuns, 0) << "nothing at the front changed";
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(kCloseIntervalMs);
  EXPECT_EQ(watcherRuns, 1);
  EXPECT_EQ(watched, notepad);
  sim.clock.advance(500);
  EXPECT_EQ(watcherRuns, 1);

  guard.foregroundMayHaveChanged();
  EXPECT_EQ(watcherRuns, 2) << "a window event runs them at once";
  guard.windowAppeared();
  EXPECT_EQ(watcherRuns, 3);
  sim.clock.advance(kCloseSpellMs + kCloseIntervalMs);
  EXPECT_FALSE(page.tmrGuard.running()) << "an idle program runs no quick checks";
}

// While the blank screen holds, its prompt is checked at every hold interval;
// one that had to be put back is watched closely again.
TEST_F(LockGuardTest, TheComputerLockKeepsTheChecksGoingAndAPromptPutBackIsWatchedClosely) {
  blankScreen = true;
  guard.watchClosely();
  sim.clock.advance(kCloseSpellMs + kHoldIntervalMs);
  EXPECT_TRUE(page.tmrGuard.running());
  EXPECT_EQ(page.tmrGuard.interval(), kHoldIntervalMs);
  const int checks = inPlaceChecks;
  sim.clock.advance(10 * kHoldIntervalMs);
  EXPECT_EQ(inPlaceChecks - checks, 10);

  promptMoved = true;  // another program took the front
  sim.clock.advance(kHoldIntervalMs);
  EXPECT_EQ(page.tmrGuard.interval(), kCloseIntervalMs);
  sim.clock.advance(kCloseSpellMs + kHoldIntervalMs);
  EXPECT_EQ(page.tmrGuard.interval(), kHoldIntervalMs);

  blankScreen = false;  // the password ended the lock
  sim.clock.advance(kHoldIntervalMs);
  EXPECT_FALSE(page.tmrGuard.running());
}

}  // namespace
}  // namespace tessara
