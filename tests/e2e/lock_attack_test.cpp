// The ways around the locks, tried from another process as a hostile user of
// the PC would: each one fails. The computer lock outlasts close, minimise,
// hide and a click with Alt+F4; quick starts and a decoy window titled like
// the program leave exactly one copy; a lock entry that matches the
// program's own titles locks none of its windows; a minimised prompt comes
// back; a locked window that shows itself again is hidden again at once; a
// password stored as text opens and is then stored as a hash.
#include <algorithm>
#include <functional>
#include <vector>

#include "forms/control_id.h"
#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

constexpr UINT kTrayCallback = WM_APP + 1;

// Shown, not minimised, in front of the screen.
bool standsInFront(HWND window) { return isVisible(window) && !IsIconic(window); }

class LockAttackTest : public E2eTest {
 protected:
  void start() {
    tessara_.emplace();
    ASSERT_NE(tessara_->window, nullptr) << "tessara7 did not come up";
  }
  HWND main() const { return tessara_->window; }
  std::optional<lock::RunningTessara> tessara_;
};

// A left click at a point of the screen and then Alt+F4, as typed input. True
// when the click went to `target` (the window under the point) and the system
// took every key and button.
bool clickThenAltF4(int x, int y, HWND target) {
  // Under Wine the pointer sometimes stays where it was after one
  // SetCursorPos; it is moved again until it is where the click must land.
  POINT at{};
  for (int tries = 0; tries < 20; ++tries) {
    SetCursorPos(x, y);
    if (GetCursorPos(&at) && at.x == x && at.y == y) break;
    Sleep(50);
  }
  const bool onTarget = at.x == x && at.y == y && GetAncestor(WindowFromPoint(at), GA_ROOT) == target;
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  const UINT clicks = SendInput(2, click, sizeof(INPUT));
  Sleep(100);
  INPUT keys[4] = {};
  for (auto& key : keys) key.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[3].ki.wVk = VK_MENU;
  keys[1].ki.wVk = keys[2].ki.wVk = VK_F4;
  keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  const UINT typed = SendInput(4, keys, sizeof(INPUT));
  return onTarget && clicks == 2 && typed == 4;
}

TEST_F(LockAttackTest, TheComputerLockOutlastsEveryWayAroundItButThePassword) {
  start();
  ASSERT_TRUE(postMenuCommand(main(), forms::controlId("mLockWorkstation")));
  HWND blank = nullptr;
  ASSERT_TRUE(waitUntil(lock::kSettleMs, [&] { return (blank = lock::visibleWindowOfClass(lock::kBlankClass)); }));
  HWND prompt = lock::waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  const auto holds = [&] {
    return standsInFront(blank) && lock::visiblePrompt() == prompt && !IsIconic(prompt) && lock::isAbove(prompt, blank);
  };
  ASSERT_TRUE(waitUntil(lock::kSettleMs, holds));

  // Each attack says whether it landed: the message was queued to the
  // window, the window was shown when it was hidden or minimised, the other
  // window was made the foreground window, the click went to the blank screen.
  OwnedWindow intruder;
  const std::vector<std::pair<const char*, std::function<bool()>>> attacks{
      {"WM_CLOSE to the blank screen", [&] { return PostMessageW(blank, WM_CLOSE, 0, 0) != FALSE; }},
      {"SC_CLOSE to the blank screen", [&] { return PostMessageW(blank, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE; }},
      {"SC_MINIMIZE to the blank screen",
       [&] { return PostMessageW(blank, WM_SYSCOMMAND, SC_MINIMIZE, 0) != FALSE; }},
      {"SC_MINIMIZE to the prompt", [&] { return PostMessageW(prompt, WM_SYSCOMMAND, SC_MINIMIZE, 0) != FALSE; }},
      {"the blank screen hidden", [&] { return ShowWindow(blank, SW_HIDE) != FALSE; }},
      {"the blank screen minimised", [&] { return ShowWindow(blank, SW_MINIMIZE) != FALSE; }},
      {"the prompt hidden", [&] { return ShowWindow(prompt, SW_HIDE) != FALSE; }},
      {"another window brought to the front",
       [&] {
         intruder = lock::makeWindow("IntruderWindow", "Just a window", true);
         return intruder && isVisible(intruder.get()) && SetForegroundWindow(intruder.get()) != FALSE;
       }},
      {"a click on the blank screen, then Alt+F4", [&] { return clickThenAltF4(3, 3, blank); }},
  };
  for (const auto& [name, attack] : attacks) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(attack()) << "the attack did not land";
    // Put back at once: in place once the attack has landed, and it stays so.
    waitUntil(300, [] { return false; });
    EXPECT_TRUE(waitUntil(700, holds)) << "blank shown " << isVisible(blank) << ", iconic " << IsIconic(blank)
                                       << ", prompt shown " << isVisible(prompt) << ", iconic " << IsIconic(prompt);
    EXPECT_TRUE(holdsFor(300, holds));
    EXPECT_TRUE(tessara_->program.running());
  }
  lock::saveScreenshot("computer-lock-after-attacks");

  ASSERT_TRUE(lock::enterPassword(prompt, lock::kMasterPassword));
  EXPECT_TRUE(waitUntil(1000, [] { return lock::visibleWindowOfClass(lock::kBlankClass) == nullptr; }))
      << "only the password ends the lock, and it does";
}

// --- One copy --------------------------------------------------------------------

TEST_F(LockAttackTest, FiveQuickStartsLeaveOneCopyThreeTimesInARow) {
  for (int trial = 1; trial <= 3; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    std::vector<Program> starts;
    for (int i = 0; i < 5; ++i) starts.emplace_back("tessara7");
    // The losers end on their own; the winner stays.
    EXPECT_TRUE(waitUntil(30000, [&] {
      return std::count_if(starts.begin(), starts.end(), [](const Program& p) { return p.running(); }) == 1;
    })) << "copies still running after 30 s: " << processIds(names::MainProgram).size();
    EXPECT_FALSE(waitUntil(1000, [] { return processIds(names::MainProgram).size() != 1; }));
    EXPECT_EQ(countTopLevelWindows(names::MainTitle), 1);
    endAllPrograms();
  }
}

TEST_F(LockAttackTest, AWindowTitledLikeTheProgramStopsNeitherItsStartNorItsRestart) {
  const OwnedWindow decoy = lock::makeWindow("DecoyWindow", names::MainTitle, false);
  ASSERT_TRUE(decoy);
  start();
  const DWORD first = tessara_->program.pid();
  ASSERT_EQ(processOf(main()), first);
  ASSERT_TRUE(postClose(main()));
  HWND fresh = nullptr;
  ASSERT_TRUE(waitUntil(10000, [&] {
    fresh = waitForMainWindow(0);
    return fresh && processOf(fresh) != first;
  })) << "the closed copy was not followed by a new one";
  EXPECT_EQ(query(fresh, "form.caption"), names::MainTitle);
  EXPECT_FALSE(waitUntil(1000, [] { return processIds(names::MainProgram).size() != 1; }))
      << "exactly one copy runs";
  EXPECT_TRUE(IsWindow(decoy.get()));
}

// --- The program's own windows ---------------------------------------------------

TEST_F(LockAttackTest, LockEntriesMatchingTheProgramsOwnTitlesLockNoneOfItsWindows) {
  // Pieces of the prompt's title "Restrictions", the main title and the notice's "Message:".
  lock::storeLockRow(0, "ions");
  lock::storeLockRow(1, "Restrictions");
  lock::storeLockRow(2, "Tessara");
  lock::storeLockRow(3, "essage");
  start();
  // The entries are loaded, ticked, and lock another program's window with
  // such a title: only the program's own windows are spared.
  ASSERT_EQ(query(main(), "lstProgram.items"), "ions\nRestrictions\nTessara\nessage");
  ASSERT_EQ(query(main(), "lstProgram.checks"), "1\n1\n1\n1");
  {
    const OwnedWindow other = lock::makeWindow("E2eOtherWindow", "Tessara Restrictions - Message", true);
    ASSERT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(other.get()); }))
        << "the entries lock no window at all";
    HWND otherPrompt = lock::waitForPrompt();
    ASSERT_NE(otherPrompt, nullptr);
    EXPECT_EQ(lock::promptSubject(otherPrompt), "Tessara Restrictions - Message");
    ASSERT_TRUE(lock::enterPassword(otherPrompt, lock::kMasterPassword));
    ASSERT_TRUE(lock::waitForNoPrompt());
  }
  HWND prompt = openPrompt(main());
  ASSERT_NE(prompt, nullptr);
  EXPECT_TRUE(holdsFor(1500, [&] { return standsInFront(prompt); })) << "the prompt was locked";
  ASSERT_TRUE(submitPassword(prompt, "guess"));  // a wrong password: the prompt stays
  EXPECT_TRUE(holdsFor(1000, [&] { return standsInFront(prompt); }));
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  ASSERT_TRUE(waitUntil(5000, [&] { return isVisible(main()); })) << "the configuration did not open";
  EXPECT_TRUE(holdsFor(1500, [&] { return standsInFront(main()); })) << "the configuration was locked";
}

TEST_F(LockAttackTest, AMinimisedPromptIsRestoredByEveryLaterRaise) {
  start();
  HWND prompt = openPrompt(main());
  ASSERT_NE(prompt, nullptr);
  const std::vector<std::pair<const char*, std::function<void()>>> raises{
      {"the tray's double click", [&] { PostMessageW(main(), kTrayCallback, 0, WM_LBUTTONDBLCLK); }},
      {"Configure...", [&] { postMenuCommand(main(), idOf("mconfig")); }},
  };
  for (const auto& [name, raise] : raises) {
    SCOPED_TRACE(name);
    PostMessageW(prompt, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(waitUntil(3000, [&] { return IsIconic(prompt) != FALSE; })) << "the prompt did not minimise";
    raise();
    EXPECT_TRUE(waitUntil(3000, [&] { return standsInFront(prompt) && GetForegroundWindow() == prompt; }))
        << "iconic " << IsIconic(prompt);
  }
}

// --- A locked window stays hidden ------------------------------------------------

TEST_F(LockAttackTest, APlainWindowBroughtToTheFrontIsHiddenQuickly) {
  lock::storeLockRow(0, "Plain Locked");
  start();
  std::vector<ULONGLONG> took;
  std::string each;
  for (int trial = 0; trial < 7; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    // A class of its own each time: the password releases the class it names.
    OwnedWindow plain = lock::makeWindow("PlainNoChild" + std::to_string(trial), "Plain Locked", true);
    // From the moment it is in front (showing it can take a while under Wine).
    const ULONGLONG inFront = GetTickCount64();
    ASSERT_TRUE(waitUntil(2000, [&] { return lock::isLockedAway(plain.get()); })) << "never locked";
    took.push_back(GetTickCount64() - inFront);
    each += " " + std::to_string(took.back());
    HWND prompt = lock::waitForPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(lock::enterPassword(prompt, lock::kMasterPassword));
    ASSERT_TRUE(lock::waitForNoPrompt());
    plain.reset();
    Sleep(static_cast<DWORD>(trial * 97 % 500));  // another phase of the half-second ticks
  }
  std::sort(took.begin(), took.end());
  RecordProperty("median_ms", static_cast<int>(took[3]));
  // Waiting for the ticks alone takes 250 ms on average and up to 500 ms. (The
  // benchmark holds the real figure; this bound leaves room for a busy machine.)
  EXPECT_LE(took[3], 175u) << "median of seven; each (ms):" << each;
}

TEST_F(LockAttackTest, ALockedWindowThatShowsItselfAgainIsHiddenAgainAlsoWhileThePromptIsOpen) {
  lock::storeLockRow(0, "Shows Itself");
  start();
  const OwnedWindow window = lock::makeWindow("ReshowingWindow", "It Shows Itself", true);
  ASSERT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(window.get()); }));
  HWND prompt = lock::waitForPrompt();
  ASSERT_NE(prompt, nullptr);

  // Its program shows it every 200 ms for three seconds, without taking the front.
  int visible = 0, samples = 0, shows = 0;
  const ULONGLONG begin = GetTickCount64();
  ULONGLONG nextShow = begin;
  while (GetTickCount64() - begin < 3000) {
    if (GetTickCount64() >= nextShow) {
      ShowWindow(window.get(), SW_SHOWNOACTIVATE);
      ++shows;
      nextShow += 200;
    }
    pumpMessages();
    ++samples;
    if (IsWindowVisible(window.get())) ++visible;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
  const double share = 100.0 * visible / std::max(samples, 1);
  RecordProperty("visible_percent", static_cast<int>(share));
  // Showing a window that is being minimised and hidden can take Wine a few
  // hundred milliseconds on a busy machine; a handful of re-shows is enough.
  EXPECT_GE(shows, 5);
  // Without the quick checks it stayed up 80 % of the time.
  EXPECT_LT(share, 20.0) << "visible " << share << " % of the time";
  EXPECT_TRUE(waitUntil(1000, [&] { return lock::visiblePrompt() == prompt; }))
      << "the prompt still asks for it: " << lock::promptSubject(lock::visiblePrompt()).value_or("<none>");

  ASSERT_TRUE(lock::enterPassword(prompt, lock::kMasterPassword));
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isReleased(window.get()); }));
  EXPECT_TRUE(holdsFor(1000, [&] { return lock::isReleased(window.get()); })) << "released means left alone";
}

// --- The master password ---------------------------------------------------------

TEST_F(LockAttackTest, APasswordStoredAsTextOpensAndIsThenStoredAsAHash) {
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\PWD", "title2", "letmein"));
  start();
  HWND prompt = openPrompt(main());
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(submitPassword(prompt, "LetMeIn"));
  ASSERT_TRUE(waitUntil(5000, [&] { return isVisible(main()); })) << "the stored text no longer opens";
  const std::string stored =
      RegistryFixture::readString(Root::Machine, "Software\\TSR\\PWD", "title2").value_or("<none>");
  EXPECT_EQ(stored.rfind("$pbkdf2-sha256$", 0), 0u) << stored;
  EXPECT_EQ(stored.find("letmein"), std::string::npos);
}

}  // namespace
}  // namespace e2e
