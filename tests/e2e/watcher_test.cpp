// The foreground watcher with real windows: a ticked task name locks Wine's
// Notepad when it comes to the front, the prompt releases, closes or ignores
// it; "Reset Locks" takes the releases back; the two whole-program locks
// minimise Internet Explorer and Windows Explorer windows wherever they are.
#include <optional>

#include "forms/control_id.h"
#include "tests/e2e/lock_helpers.h"

namespace e2e {
namespace {

using namespace lock;

constexpr const char* kNotepadTitle = "Untitled - Notepad";

// The stored releases of the running program (its debug list lstAllow).
std::string releases(HWND main) { return query(main, "lstAllow.items").value_or("<no answer>"); }

// Shows up (Notepad's window may still be on its way) and stays shown, with no prompt, past
// several ticks of the watcher.
::testing::AssertionResult staysOpen(HWND window) {
  if (!waitUntil(kSettleMs, [&] { return isReleased(window); }))
    return ::testing::AssertionFailure() << "never shown: visible " << IsWindowVisible(window) << ", iconic "
                                         << IsIconic(window);
  if (!holdsFor(2000, [&] { return isReleased(window) && visiblePrompt() == nullptr; }))
    return ::testing::AssertionFailure() << "locked: visible " << IsWindowVisible(window) << ", iconic "
                                         << IsIconic(window) << ", prompt for \""
                                         << promptSubject(visiblePrompt()).value_or("<none>") << "\"";
  return ::testing::AssertionSuccess();
}

class WatcherTest : public E2eTest {
 protected:
  // Stores "Notepad" as a ticked task and starts the program.
  void startWithNotepadLocked() {
    storeLockRow(0, "Notepad");
    tessara_.emplace();
    ASSERT_NE(tessara_->window, nullptr) << "tessara7 did not come up";
  }

  // Waits until Notepad's window is locked away and the prompt names it; the prompt.
  HWND expectLocked(const RunningNotepad& notepad) {
    EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isLockedAway(notepad.window); }))
        << "Notepad is not hidden and minimised: visible " << IsWindowVisible(notepad.window) << ", iconic "
        << IsIconic(notepad.window);
    HWND prompt = waitForPrompt();
    EXPECT_NE(prompt, nullptr) << "no password prompt";
    return prompt;
  }

  // Locks a fresh Notepad and releases it with the master password.
  void lockAndRelease(const RunningNotepad& notepad) {
    HWND prompt = expectLocked(notepad);
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
    ASSERT_TRUE(waitUntil(kSettleMs, [&] { return isReleased(notepad.window); })) << "Notepad was not restored";
    ASSERT_TRUE(waitForNoPrompt());
  }

  HWND main() const { return tessara_->window; }

  std::optional<RunningTessara> tessara_;
};

TEST_F(WatcherTest, LocksNotepadAtTheFrontAndTheMasterPasswordRestoresIt) {
  startWithNotepadLocked();
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr) << "Wine's Notepad did not open (" << notepadPath() << ")";
  ASSERT_EQ(windowText(notepad.window), kNotepadTitle);

  HWND prompt = expectLocked(notepad);
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(windowText(prompt), "Restrictions");
  EXPECT_EQ(promptSubject(prompt), kNotepadTitle) << "the prompt names the whole title";
  saveScreenshot("prompt-over-hidden-notepad");

  // A wrong password keeps the lock and says so.
  ASSERT_TRUE(enterPassword(prompt, "not the password"));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return query(prompt, "lblPWD.caption") == "Password, wrong:"; }));
  EXPECT_TRUE(isLockedAway(notepad.window));
  EXPECT_EQ(visiblePrompt(), prompt);

  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isReleased(notepad.window); }))
      << "visible " << IsWindowVisible(notepad.window) << ", iconic " << IsIconic(notepad.window);
  EXPECT_TRUE(waitForNoPrompt());
  // Released, it stays open at the front past several ticks of the watcher.
  EXPECT_TRUE(holdsFor(1500, [&] { return isReleased(notepad.window) && visiblePrompt() == nullptr; }));
  EXPECT_TRUE(notepad.program.running());
}

TEST_F(WatcherTest, ReleaseCoversOtherNotepadsUntilAllAreClosed) {
  startWithNotepadLocked();
  std::optional<RunningNotepad> first(std::in_place);
  ASSERT_NE(first->window, nullptr);
  lockAndRelease(*first);
  EXPECT_EQ(releases(main()), "Notepad") << "a release is kept by window class";

  RunningNotepad second;
  ASSERT_NE(second.window, nullptr);
  EXPECT_TRUE(staysOpen(second.window)) << "a second Notepad while the released one is open";

  // Close both: the release ends with the last window of its class.
  first.reset();
  second.program.kill();
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return releases(main()).empty(); }))
      << "release still held: " << releases(main());

  RunningNotepad third;
  ASSERT_NE(third.window, nullptr);
  HWND prompt = expectLocked(third);
  EXPECT_EQ(promptSubject(prompt), kNotepadTitle);
}

TEST_F(WatcherTest, CancelClosesTheLockedNotepad) {
  startWithNotepadLocked();
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  HWND prompt = expectLocked(notepad);
  ASSERT_NE(prompt, nullptr);

  ASSERT_TRUE(clickPromptButton(prompt, "cmdCancelPWD"));
  EXPECT_TRUE(notepad.program.waitExit(5000).has_value()) << "the locked Notepad is still running";
  EXPECT_TRUE(waitForNoPrompt());
  EXPECT_TRUE(RegistryFixture::keyExists(Root::Machine, "SOFTWARE\\TSR\\Windows0")) << "the lock row stays";
}

TEST_F(WatcherTest, IgnoreInFutureStoresTheExactTitleAndSparesOnlyIt) {
  startWithNotepadLocked();
  {
    RunningNotepad notepad;
    ASSERT_NE(notepad.window, nullptr);
    HWND prompt = expectLocked(notepad);
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(clickPromptButton(prompt, "chkIgnore"));
    ASSERT_TRUE(waitUntil(kSettleMs, [&] { return query(prompt, "chkIgnore.value") == "1"; }));
    ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
    EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isReleased(notepad.window); }));
    EXPECT_TRUE(waitUntil(kSettleMs, [] {
      return RegistryFixture::readString(Root::Machine, kIgnoreKey, "Program0") == kNotepadTitle;
    })) << "stored: " << RegistryFixture::readString(Root::Machine, kIgnoreKey, "Program0").value_or("<none>");
    EXPECT_FALSE(RegistryFixture::readString(Root::Machine, kIgnoreKey, "Program1").has_value());
  }
  // The release ends with the window; the ignored title alone keeps a new Notepad open.
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return releases(main()).empty(); })) << releases(main());
  RunningNotepad again;
  ASSERT_NE(again.window, nullptr);
  EXPECT_TRUE(staysOpen(again.window)) << "a Notepad with the ignored title";

  // Any other title with the task name is still locked.
  const std::wstring other = L"notes.txt - Notepad";
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(again.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()),
                                  SMTO_NORMAL, 5000, &result));
  HWND prompt = expectLocked(again);
  EXPECT_EQ(promptSubject(prompt), "notes.txt - Notepad");
}

TEST_F(WatcherTest, StoredIgnoredTitleIsSparedAfterAStart) {
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, kIgnoreKey, "Program0", kNotepadTitle));
  startWithNotepadLocked();
  EXPECT_EQ(query(main(), "lstignore.items"), kNotepadTitle);
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  EXPECT_TRUE(staysOpen(notepad.window));
}

TEST_F(WatcherTest, UntickedTaskLocksNothing) {
  storeLockRow(0, "Notepad", false);
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  // The row was stored and loaded, unticked; and the window carries its name.
  ASSERT_EQ(query(tessara.window, "lstProgram.items"), "Notepad");
  ASSERT_EQ(query(tessara.window, "lstProgram.checks"), "0");
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return getText(notepad.window) == kNotepadTitle; }))
      << getText(notepad.window).value_or("<no title>");
  EXPECT_TRUE(staysOpen(notepad.window));
}

TEST_F(WatcherTest, ResetLocksLocksAReleasedWindowAgainAtTheNextTick) {
  startWithNotepadLocked();
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  lockAndRelease(notepad);
  SetForegroundWindow(notepad.window);
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return GetForegroundWindow() == notepad.window; }));
  ASSERT_TRUE(holdsFor(1200, [&] { return isReleased(notepad.window); })) << "relocked before the reset";

  ASSERT_TRUE(postMenuCommand(main(), forms::controlId("mnuResetLocks")));
  const ULONGLONG posted = GetTickCount64();
  // One tick is 500 ms; the rest is room for Wine's scheduling on a busy machine.
  EXPECT_TRUE(waitUntil(1000, [&] { return isLockedAway(notepad.window); }))
      << "not locked again within 1 s of the reset";
  RecordProperty("relock_ms", static_cast<int>(GetTickCount64() - posted));
  EXPECT_TRUE(releases(main()).empty());
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), kNotepadTitle);
}

// --- Whole-program locks ----------------------------------------------------------

struct WholeProgram {
  const char* flag;       // value in Software\TSR\Settings
  const char* className;  // class of the program's windows
  const char* subject;    // what the prompt says
};

class WholeProgramLockTest : public E2eTest, public ::testing::WithParamInterface<WholeProgram> {};

TEST_P(WholeProgramLockTest, MinimisesAWindowInTheBackgroundUntilThePassword) {
  const WholeProgram& p = GetParam();
  storeSetting(p.flag, "1");
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);

  OwnedWindow front = makeWindow("E2eFrontWindow", "Front window", true);
  OwnedWindow target = makeWindow(p.className, "Start page", false);
  ASSERT_TRUE(front && target);
  ASSERT_NE(GetForegroundWindow(), target.get());
  // It is made shown and restored; the program may minimise it at once (its
  // creation runs the watchers), so no check here that it is not minimised yet.

  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return IsIconic(target.get()) != FALSE; }))
      << "a " << p.className << " window was not minimised";
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), p.subject);

  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return !IsIconic(target.get()) && IsWindowVisible(target.get()); }));
  EXPECT_TRUE(waitForNoPrompt());
  // The lock is off for the rest of the run.
  EXPECT_TRUE(holdsFor(1500, [&] { return !IsIconic(target.get()); }));
}

INSTANTIATE_TEST_SUITE_P(Lock, WholeProgramLockTest,
                         ::testing::Values(WholeProgram{"LockIE", "IEFrame", "Internet Explorer"},
                                           WholeProgram{"LockEx", "ExploreWClass", "Windows Explorer"},
                                           WholeProgram{"LockEx", "CabinetWClass", "Windows Explorer"}),
                         [](const auto& info) { return std::string(info.param.className); });

class WholeProgramSwitchTest : public E2eTest {};

TEST_F(WholeProgramSwitchTest, EachSwitchLocksOnlyItsOwnProgram) {
  storeSetting("LockIE", "1");
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  OwnedWindow browser = makeWindow("IEFrame", "Start page", false);
  OwnedWindow folder = makeWindow("CabinetWClass", "C:\\", false);
  ASSERT_TRUE(browser && folder);
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return IsIconic(browser.get()) != FALSE; }));
  EXPECT_TRUE(holdsFor(1500, [&] { return !IsIconic(folder.get()); })) << "LockIE minimised a folder window";
  EXPECT_EQ(promptSubject(waitForPrompt()), "Internet Explorer");
}

TEST_F(WholeProgramSwitchTest, NothingIsMinimisedWithBothSwitchesOff) {
  std::optional<RunningTessara> tessara;
  tessara.emplace();
  ASSERT_NE(tessara->window, nullptr);
  OwnedWindow browser = makeWindow("IEFrame", "Start page", false);
  OwnedWindow folder = makeWindow("ExploreWClass", "C:\\", false);
  ASSERT_TRUE(browser && folder);
  ASSERT_TRUE(isVisible(browser.get()) && isVisible(folder.get()));
  EXPECT_TRUE(holdsFor(2000, [&] {
    return !IsIconic(browser.get()) && !IsIconic(folder.get()) && visiblePrompt() == nullptr;
  }));

  // The same two windows are minimised once the switches are on: they are
  // what the locks watch for.
  tessara.reset();
  endAllPrograms();
  storeSetting("LockIE", "1");
  storeSetting("LockEx", "1");
  tessara.emplace();
  ASSERT_NE(tessara->window, nullptr);
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return IsIconic(browser.get()) && IsIconic(folder.get()); }))
      << "browser minimised " << IsIconic(browser.get()) << ", folder minimised " << IsIconic(folder.get());
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

using namespace lock;

class AdvancedLockTest : public E2eTest {};

// The Task Manager of today's Windows is locked by default, by its title;
// and once installations are permitted, an installer's word in a title in
// front switches neither that lock nor the locks of windows behind it off.
TEST_F(AdvancedLockTest, TodaysTaskManagerIsLockedAlsoBehindAPermittedInstaller) {
  storeSetting("LockInstall", "1");
  storeSetting("LockFF", "1");
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  // Kept open to the end: a closed window's handle may come back for a new
  // one, which would then count as the released window.
  OwnedWindow taskManager = makeWindow("TaskManagerProbe", "Task Manager", true);
  ASSERT_TRUE(taskManager);
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isLockedAway(taskManager.get()); })) << "not locked by default";
  {
    HWND prompt = waitForPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
    ASSERT_TRUE(waitForNoPrompt());
  }
  OwnedWindow installer = makeWindow("InstallerProbe", "Product Setup", true);
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), "Restrictions [installer]");
  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  ASSERT_TRUE(waitUntil(kSettleMs, [&] {
    return query(prompt, "lblDefaultPass.caption") == "All Installations are permitted [click Cancel]";
  }));
  ASSERT_TRUE(clickPromptButton(prompt, "cmdCancelPWD"));
  ASSERT_TRUE(waitForNoPrompt());

  OwnedWindow disguised = makeWindow("DisguiseProbe", "Setup - Task Manager", true);
  // Brought to the front as its user would (the closing prompt may take the
  // focus back for a moment).
  EXPECT_TRUE(waitUntil(kSettleMs, [&] {
    if (!IsWindowVisible(disguised.get()) || IsIconic(disguised.get())) return isLockedAway(disguised.get());
    SetForegroundWindow(disguised.get());
    return false;
  })) << "the installer's word switched the Task Manager lock off";
  OwnedWindow browser = makeWindow("OpWindow", "Start page", false);
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isLockedAway(browser.get()); }))
      << "a permitted installer in front switched the background locks off";
  EXPECT_FALSE(isLockedAway(installer.get())) << "the permitted installer itself stays";
}

}  // namespace
}  // namespace e2e
