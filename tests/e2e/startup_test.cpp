// tessara7 from start to end, driven from outside: what a first start shows, the single
// running copy, the restart after a close, the ways it really ends, and where a store kept
// under "This user" is read from.
#include <algorithm>
#include <optional>

#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

const std::vector<std::string> kSuggestions{
    "Windows Media Player", "Notepad", "Messenger", "Task Manager", "Command Prompt",
    "System Configuration Utility", "Registry Editor", "Paint", "Run", "Outlook", "Solitaire",
    "Control Panel", "Display Properties", "Windows Firewall", "User Accounts", "System",
    "Folder Options", "Close Program", "My Computer", "My Music", "My Pictures", "Search",
    "Network Connections", "Local Disk", "DVD-RAM Drive"};

// True when no tessara7 process runs any more, and none comes back within settleMs.
bool staysEnded(DWORD settleMs) {
  if (!waitUntil(5000, [] { return processIds(names::MainProgram).empty(); })) return false;
  return !waitUntil(settleMs, [] { return !processIds(names::MainProgram).empty(); });
}

class StartupTest : public E2eTest {
 protected:
  // Starts tessara7 and waits for its main window.
  HWND start() {
    program_.reset();
    program_.emplace("tessara7");
    if (!program_->started()) return nullptr;
    return waitForMainWindow();
  }
  std::optional<Program> program_;
};

TEST_F(StartupTest, FirstStartOnAnEmptyStoreIsOneHiddenWindowWithTheDefaults) {
  HWND main = start();
  ASSERT_NE(main, nullptr) << "no \"Tessara 7\" window within 10 s";

  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
  EXPECT_FALSE(isVisible(main));
  EXPECT_EQ(processOf(main), program_->pid());
  // Give a stray prompt or notice the time to come up before looking for one.
  Sleep(500);
  EXPECT_EQ(visibleTessaraWindows(), std::vector<std::string>{});
  EXPECT_EQ(query(main, "form.visible"), "0");
  EXPECT_EQ(query(main, "form.caption"), kMainTitle);

  const auto items = query(main, "lstProgram.items");
  ASSERT_TRUE(items.has_value());
  EXPECT_EQ(splitLines(*items), kSuggestions);
  const auto checks = query(main, "lstProgram.checks");
  ASSERT_TRUE(checks.has_value());
  EXPECT_EQ(splitLines(*checks), std::vector<std::string>(kSuggestions.size(), "0"));

  EXPECT_EQ(query(main, "menu.chkTaskManager.checked"), "1");
  EXPECT_EQ(query(main, "menu.mEnPwd.checked"), "1");
  EXPECT_EQ(query(main, "menu.mconfig.enabled"), "1");
  EXPECT_EQ(query(main, "menu.mClearPassword.enabled"), "0");
  EXPECT_EQ(query(main, "OptAllUsers.value"), "1");

  // The tray menu: its six commands in order (separators aside).
  const auto tray = query(main, "menu.mFile.items");
  ASSERT_TRUE(tray.has_value());
  std::vector<std::string> commands = splitLines(*tray);
  std::erase(commands, "-");
  EXPECT_EQ(commands, (std::vector<std::string>{"Configure...", "Lock Computer", "Reset Locks",
                                                "Stop Remembering Password", "Cancel", "Exit"}));
  EXPECT_EQ(query(main, "menu.mFile.visible"), "0") << "File is only the tray menu";

  // Starting reads the store; it writes none of the configuration.
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "Software\\TSR\\Windows0"));
  EXPECT_FALSE(RegistryFixture::readString(Root::Machine, "Software\\TSR\\PWD", "title2").has_value());
}

TEST_F(StartupTest, ASecondStartEndsItselfSilentlyAndLeavesTheFirstCopy) {
  HWND main = start();
  ASSERT_NE(main, nullptr);

  Program second("tessara7");
  ASSERT_TRUE(second.started());
  // Watched while it runs: once it has ended its windows can no longer be seen.
  std::vector<std::string> shownBySecond;
  waitUntil(10000, [&] {
    for (HWND window : topLevelWindowsOf(second.pid())) {
      const std::string seen = windowClass(window) + " '" + windowText(window) + "'";
      if (isVisible(window) && std::ranges::find(shownBySecond, seen) == shownBySecond.end())
        shownBySecond.push_back(seen);
    }
    return !second.running();
  });
  EXPECT_TRUE(second.waitExit(10000).has_value()) << "the second copy still runs after 10 s";
  EXPECT_EQ(shownBySecond, std::vector<std::string>{}) << "the second copy showed a window before it ended";

  EXPECT_EQ(processIds(names::MainProgram), std::vector<DWORD>{program_->pid()});
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
  EXPECT_EQ(processOf(waitForMainWindow(0)), program_->pid());
  EXPECT_EQ(visibleTessaraWindows(), std::vector<std::string>{}) << "no message of either copy";
  // No message box (a dialog of the program, or Wine's crash dialog) either.
  EXPECT_EQ(waitForVisibleWindow("#32770", 500), nullptr);
}

TEST_F(StartupTest, ClosingTheWindowBringsUpAFreshCopyEveryTime) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  DWORD pid = processOf(main);

  for (int round = 1; round <= 5; ++round) {
    SCOPED_TRACE("close number " + std::to_string(round));
    Handle old(OpenProcess(SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(old);
    ASSERT_TRUE(postClose(main));
    ASSERT_EQ(WaitForSingleObject(old.get(), 5000), WAIT_OBJECT_0) << "the closed copy still runs";

    HWND fresh = nullptr;
    ASSERT_TRUE(waitUntil(5000, [&] {
      fresh = waitForMainWindow(0);
      return fresh && processOf(fresh) != pid;
    })) << "no new copy within 5 s";
    const DWORD freshPid = processOf(fresh);
    EXPECT_NE(freshPid, pid);
    EXPECT_FALSE(isVisible(fresh));
    EXPECT_EQ(query(fresh, "form.caption"), kMainTitle) << "the new copy answers and is loaded";
    EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
    EXPECT_EQ(processIds(names::MainProgram), std::vector<DWORD>{freshPid});
    main = fresh;
    pid = freshPid;
  }
  Sleep(300);
  EXPECT_EQ(processIds(names::MainProgram).size(), 1u) << "exactly one copy remains";
  EXPECT_EQ(visibleTessaraWindows(), std::vector<std::string>{});
}

TEST_F(StartupTest, AnEndOfSessionWindowsDidNotStartChangesNothingAndExitEndsForGood) {
  {
    SCOPED_TRACE("the session's end, sent by a program while Windows goes on");
    HWND main = start();
    ASSERT_NE(main, nullptr);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program does not hold up the session end";
    SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_FALSE(program_->waitExit(2000).has_value()) << "a forged session end ended the program";
  }
  {
    SCOPED_TRACE("Exit on the tray menu, with the password");
    HWND main = waitForMainWindow(0);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(postMenuCommand(main, idOf("mExit")));
    HWND prompt = waitForVisibleWindow(kPromptClass, 5000);
    ASSERT_NE(prompt, nullptr) << "Exit asks for the master password";
    ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
    EXPECT_TRUE(program_->waitExit(5000).has_value()) << "still running after Exit";
    EXPECT_TRUE(staysEnded(2000)) << "a copy came back after Exit";
  }
}

TEST_F(StartupTest, ThisUserStoreLoadsItsRowsFromTheUserAndMachineValuesFromTheMachine) {
  using R = RegistryFixture;
  ASSERT_TRUE(R::chooseThisUser());
  ASSERT_TRUE(R::writeString(Root::User, "SOFTWARE\\TSR\\Windows0", "Window", "Untitled - Notepad"));
  ASSERT_TRUE(R::writeString(Root::User, "SOFTWARE\\TSR\\Windows0", "Enabled", "1"));
  ASSERT_TRUE(R::writeString(Root::User, "SOFTWARE\\TSR\\Windows1", "Window", "Registry Editor"));
  ASSERT_TRUE(R::writeString(Root::User, "SOFTWARE\\TSR\\Windows1", "Enabled", "0"));
  // Rows of the other scope must not show.
  ASSERT_TRUE(R::writeString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Machine Row"));
  ASSERT_TRUE(R::writeString(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Enabled", "1"));
  // Values that only ever live under the machine.
  ASSERT_TRUE(R::writeString(Root::Machine, "Software\\TSR\\Settings", "LastPath", "C:\\Data\\Reports"));
  ASSERT_TRUE(R::writeString(Root::Machine, "Software\\TSR\\PWD", "PWD2", "secret"));
  ASSERT_TRUE(R::writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program0", "Calculator"));
  ASSERT_TRUE(R::writeString(Root::Machine, "Software\\TSR\\Settings", "mhideconfigure", "1"));
  // The same names under the user must not win.
  ASSERT_TRUE(R::writeString(Root::User, "Software\\TSR\\Settings", "LastPath", "C:\\Wrong"));
  ASSERT_TRUE(R::writeString(Root::User, "Software\\TSR\\Settings", "mhideconfigure", "0"));

  HWND main = start();
  ASSERT_NE(main, nullptr);

  EXPECT_EQ(query(main, "lstProgram.items"), "Untitled - Notepad\nRegistry Editor");
  EXPECT_EQ(query(main, "lstProgram.checks"), "1\n0");
  EXPECT_EQ(query(main, "OptThisUser.value"), "1");
  EXPECT_EQ(query(main, "OptAllUsers.value"), "0");

  EXPECT_EQ(query(main, "txtPath.text"), "C:\\Data\\Reports");
  EXPECT_EQ(query(main, "lstignore.items"), "Calculator");
  EXPECT_EQ(query(main, "menu.mhideconfigure.checked"), "1");
  EXPECT_EQ(query(main, "menu.mconfig.enabled"), "0");
  EXPECT_EQ(query(main, "txtEnPwd.enabled"), "0") << "a stored encryption password is locked in";
  EXPECT_EQ(query(main, "cmdenpwd.caption"), "Reset");
  EXPECT_EQ(visibleTessaraWindows(), std::vector<std::string>{});
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Another program of the same user can write the user data of this
// program's windows; nothing the program needs may live there.
TEST_F(StartupTest, WindowDataWrittenByAnotherProgramDoesNotBringItDown) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  const LONG_PTR garbage = 0x4141414141;
  for (HWND window : {main, GetDlgItem(main, idOf("lstProgram")), GetDlgItem(main, idOf("txtTask")),
                      GetDlgItem(main, idOf("lstignore"))}) {
    ASSERT_NE(window, nullptr);
    SetLastError(0);
    SetWindowLongPtrW(window, GWLP_USERDATA, garbage);
  }
  // Messages to the form and to its lists and text box go on as before:
  // ignored while the configuration is locked, taken once it is open.
  const auto typeInto = [&] {
    PostMessageW(GetDlgItem(main, idOf("lstProgram")), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(GetDlgItem(main, idOf("txtTask")), WM_CHAR, L'x', 0);
    PostMessageW(main, WM_NULL, 0, 0);
  };
  typeInto();
  EXPECT_EQ(query(main, "form.caption"), kMainTitle);
  EXPECT_FALSE(waitForAnswer(main, "txtTask.text", "x", 1000) == "x") << "the locked window took typed keys";
  EXPECT_TRUE(program_->running());
  ASSERT_TRUE(unlockConfiguration(main)) << "the tray menu's Configure still asks for the password";
  typeInto();
  EXPECT_EQ(waitForAnswer(main, "txtTask.text", "x"), "x") << "the text box still reports what is typed";
  EXPECT_TRUE(program_->running());
}

}  // namespace
}  // namespace e2e
