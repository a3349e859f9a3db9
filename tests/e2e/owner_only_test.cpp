// Only the owner switches Tessara off: each way another program of the same
// user could try, from its own process, and each one fails. Where an attack
// is a message, the same message is shown to work once the owner unlocked
// the configuration, so a failure here is the lock and not a lost message.
#include <algorithm>
#include <vector>

#include "shared/win32/module.h"
#include "shared/win32/process.h"
#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

constexpr const char* kDesktopPolicyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// Another copy than `pid` runs, and has loaded.
HWND waitForNewCopy(DWORD pid, DWORD timeoutMs = 15000) {
  HWND found = nullptr;
  waitUntil(timeoutMs, [&] {
    found = FindWindowW(widen(kConfigClass).c_str(), widen(kMainTitle).c_str());
    return found && processOf(found) != pid;
  });
  return found && processOf(found) != pid ? found : nullptr;
}

class OwnerOnlyTest : public E2eTest {
 protected:
  HWND start() {
    tessara_.emplace();
    return tessara_->window;
  }
  std::optional<lock::RunningTessara> tessara_;
};

TEST_F(OwnerOnlyTest, APostedExitAsksForThePasswordAndOnlyTheRightOneEndsIt) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(postMenuCommand(main, idOf("mExit")));
  HWND prompt = lock::waitForPrompt();
  ASSERT_NE(prompt, nullptr) << "Exit asks for the master password";
  EXPECT_EQ(lock::promptSubject(prompt), "Exit Tessara");
  ASSERT_TRUE(lock::enterPassword(prompt, "guess"));
  EXPECT_TRUE(waitForAnswer(prompt, "lblPWD.caption", "Password, wrong:").has_value());
  EXPECT_TRUE(tessara_->program.running());

  ASSERT_TRUE(lock::enterPassword(prompt, lock::kMasterPassword));
  EXPECT_TRUE(tessara_->program.waitExit(5000).has_value()) << "the right password ends it";
  EXPECT_FALSE(waitUntil(3000, [] { return !processIds(names::MainProgram).empty(); })) << "and nothing restarts it";
}

TEST_F(OwnerOnlyTest, CommandsPostedToTheLockedWindowDoNothingUntilTheOwnerOpensIt) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  const auto desktopHidden = [] { return RegistryFixture::readDword(Root::Machine, kDesktopPolicyKey, "NoDesktop"); };
  ASSERT_FALSE(desktopHidden().value_or(0));
  struct PutBack {
    ~PutBack() { RegistryFixture::deleteValue(Root::Machine, kDesktopPolicyKey, "NoDesktop"); }
  } putBack;

  // A menu tick, the encryption page's path and Apply, posted to the hidden window.
  ASSERT_TRUE(postMenuCommand(main, idOf("chkDesktop")));
  ASSERT_TRUE(setText(main, idOf("txtPath"), "C:\\windows"));
  ASSERT_TRUE(clickButton(main, idOf("cmdok")));
  EXPECT_FALSE(waitUntil(2000, [&] { return desktopHidden().value_or(0) == 1; })) << "Apply ran without the password";
  EXPECT_EQ(query(main, "menu.chkDesktop.checked"), "0");
  EXPECT_NE(query(main, "txtPath.text"), "C:\\windows") << "the locked window took a text from outside";
  // The tray menu's own commands still answer, and ask for the password.
  ASSERT_TRUE(postMenuCommand(main, idOf("mconfig")));
  EXPECT_NE(lock::waitForPrompt(), nullptr);

  ASSERT_TRUE(unlockConfiguration(main));
  ASSERT_TRUE(postMenuCommand(main, idOf("chkDesktop")));
  ASSERT_TRUE(waitForAnswer(main, "menu.chkDesktop.checked", "1").has_value());
  ASSERT_TRUE(clickButton(main, idOf("cmdok")));
  dismissNotice();
  EXPECT_TRUE(waitUntil(5000, [&] { return desktopHidden().value_or(0) == 1; }))
      << "the same messages work once the owner opened the window";
}

TEST_F(OwnerOnlyTest, AForgedEndOfSessionKeepsTheComputerLockAndTheRestart) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(postMenuCommand(main, idOf("mLockWorkstation")));
  HWND blank = nullptr;
  ASSERT_TRUE(waitUntil(lock::kSettleMs, [&] { return (blank = lock::visibleWindowOfClass(lock::kBlankClass)); }));
  for (HWND window : {main, blank}) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
  }
  PostMessageW(blank, WM_CLOSE, 0, 0);
  EXPECT_TRUE(holdsFor(1500, [&] { return isVisible(blank); })) << "the blank screen went";
  EXPECT_TRUE(tessara_->program.running());

  const DWORD old = tessara_->program.pid();
  ASSERT_TRUE(postClose(main));
  EXPECT_NE(waitForNewCopy(old), nullptr) << "closed after a forged end of session, it did not come back";
}

TEST_F(OwnerOnlyTest, AScopeOrPasswordTheUserWritesIntoTheirOwnSettingsCountsForNothing) {
  using R = RegistryFixture;
  lock::storeLockRow(0, "Untitled - Notepad");
  ASSERT_TRUE(R::writeString(Root::User, "Software\\TSR\\Settings", "CurrentUser", "Enabled"));
  ASSERT_TRUE(R::writeString(Root::User, "Software\\TSR\\PWD", "title2", "letmein"));
  HWND main = start();
  ASSERT_NE(main, nullptr);
  const DWORD old = tessara_->program.pid();
  ASSERT_TRUE(postClose(main));
  main = waitForNewCopy(old);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(query(main, "OptAllUsers.value"), "1") << "the user's value chose the scope";

  lock::RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  SetForegroundWindow(notepad.window);
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(notepad.window); }))
      << "the machine's lock list holds";
  HWND prompt = lock::waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(lock::enterPassword(prompt, "letmein"));
  EXPECT_TRUE(holdsFor(1500, [&] { return !lock::isReleased(notepad.window); })) << "the user's own password opened it";
  notepad.program.kill();

  // Recorded by the owner for this user, the user's own settings hold.
  ASSERT_TRUE(R::writeString(Root::Machine, "Software\\TSR\\Users", currentUserSid(), "Enabled"));
  ASSERT_TRUE(postClose(main));
  main = waitForNewCopy(processOf(main));
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(query(main, "OptThisUser.value"), "1");
}

TEST_F(OwnerOnlyTest, ANameTakenFirstOrATitledWindowStopsNeitherTheProgramNorTheLauncher) {
  Handle squatter(CreateMutexW(nullptr, TRUE, widen(std::string("Local\\") + names::MainInstanceMutex).c_str()));
  ASSERT_TRUE(squatter);
  OwnedWindow decoy = lock::makeWindow("DecoyWindow", kMainTitle, false);
  // The launcher, with no Tessara running, starts it.
  Program launcher("tsrrun");
  HWND main = nullptr;
  ASSERT_TRUE(waitUntil(20000, [&] {
    main = FindWindowW(widen(kConfigClass).c_str(), widen(kMainTitle).c_str());
    return main != nullptr;
  })) << "the launcher took the decoy for the program";
  const DWORD first = processOf(main);

  // One copy still: a second start finds the running one through its answer.
  Program second("tessara7");
  EXPECT_TRUE(second.waitExit(10000).has_value()) << "two copies run";
  // And the restart on close is not stopped by the taken name either.
  ASSERT_TRUE(postClose(main));
  EXPECT_NE(waitForNewCopy(first), nullptr);
}

TEST_F(OwnerOnlyTest, TwentyWrongPasswordsFromAProgramWithinAMinuteOpenNothing) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND prompt = openPrompt(main);
  ASSERT_NE(prompt, nullptr);
  const ULONGLONG began = GetTickCount64();
  for (int i = 0; i < 20 && GetTickCount64() - began < 60000; ++i) {
    // The program types whatever it likes; the last try is the right password.
    lock::enterPassword(prompt, i == 19 ? lock::kMasterPassword : "guess" + std::to_string(i));
    waitUntil(200, [] { return false; });
  }
  EXPECT_FALSE(waitUntil(2000, [&] { return isVisible(main); })) << "a guess opened the configuration";
  EXPECT_EQ(query(prompt, "cmdok.enabled"), "0");
  EXPECT_NE(query(prompt, "lblDefaultPass.caption").value_or("").find("Try again in"), std::string::npos);

  // A restart does not start the count over.
  const DWORD old = tessara_->program.pid();
  ASSERT_TRUE(postClose(main));
  main = waitForNewCopy(old);
  ASSERT_NE(main, nullptr);
  prompt = openPrompt(main);
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(query(prompt, "cmdok.enabled"), "0") << "the restarted copy forgot the wrong passwords";
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// The switches that let tests look inside the program are the machine's
// (only administrators write them): a user who puts them into their own
// environment, which the guard hands on to the program, gets no answers.
TEST(OwnerOnlyDiagnostics, TheUsersEnvironmentSwitchesNothingOn) {
  endAllPrograms();
  SetEnvironmentVariableW(L"TESSARA_STATE_QUERY", L"1");
  SetEnvironmentVariableW(L"StateQuery", L"1");
  Handle process;
  {
    ASSERT_TRUE(win32kit::setMachineSwitch(L"StateQuery", false));
    const std::wstring path = widen(programFolder() + "\\" + names::MainProgram);
    win32kit::StartedProcess started = win32kit::startProcess(path, -1, win32kit::folderOf(path));
    ASSERT_TRUE(started);
    process = std::move(started.process);
  }
  HWND main = waitForMainWindow();
  EXPECT_NE(main, nullptr);
  if (main) {
    EXPECT_EQ(query(main, "form.caption", 2000), std::nullopt) << "the program answered a state query";
  }
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 5000);
  SetEnvironmentVariableW(L"TESSARA_STATE_QUERY", nullptr);
  SetEnvironmentVariableW(L"StateQuery", nullptr);
  win32kit::setMachineSwitch(L"StateQuery", true);
  // Positive control: with the machine's switch on, the same program answers.
  Program answering("tessara7");
  main = waitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(waitForAnswer(main, "form.caption", kMainTitle), kMainTitle);
  endAllPrograms();
}

}  // namespace
}  // namespace e2e
