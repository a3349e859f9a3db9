// The guard service from the real setup: installed silently it starts the
// installed tessara7 in the session; every attack from another program fails
// (TerminateProcess again and again, a stop order written to its channel),
// each time the program is back and its lock holds again; and the uninstall
// through the master password takes the service away with everything else.
#include <shlobj.h>

#include "shared/guard_channel.h"
#include "shared/win32/running_copy.h"
#include "tests/e2e/guard_helpers.h"
#include "tests/e2e/installer_helpers.h"
#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

using guard::kInstallFolder;
constexpr const char* kLockedTask = "Guarded Ledger";
constexpr DWORD kBackWithinMs = 5000;

std::string installed(const char* file) { return std::string(kInstallFolder) + "\\" + file; }

bool runsInstalledProgram(DWORD pid) {
  return win32kit::samePath(win32kit::processImagePath(pid), widen(installed(names::MainProgram)));
}

// The main window of a tessara7 other than `previous` that runs the installed file.
HWND waitForProgramOtherThan(DWORD previous, DWORD timeoutMs) {
  HWND found = nullptr;
  waitUntil(timeoutMs, [&] {
    found = FindWindowW(widen(kConfigClass).c_str(), widen(kMainTitle).c_str());
    return found && processOf(found) != previous && runsInstalledProgram(processOf(found));
  });
  return found && processOf(found) != previous && runsInstalledProgram(processOf(found)) ? found : nullptr;
}

bool terminate(DWORD pid) {
  Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  return process && TerminateProcess(process.get(), 1) && WaitForSingleObject(process.get(), 5000) == WAIT_OBJECT_0;
}

// One request on the guard's channel, as any program can write it; the reply.
std::optional<std::string> callGuard(const std::string& request) {
  char reply[256] = {};
  DWORD read = 0;
  if (!CallNamedPipeW(widen(names::GuardPipe).c_str(), const_cast<char*>(request.data()),
                      static_cast<DWORD>(request.size()), reply, sizeof reply, &read, 5000))
    return std::nullopt;
  return std::string(reply, read);
}

// Brings the window to the front as its user would, so that the watcher sees it.
void bringForward(HWND window) {
  ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
}

class GuardTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    guard::removeInstallation();
  }
  void TearDown() override {
    guard::removeInstallation();
    E2eTest::TearDown();
  }

  // Installs with a ticked task, the service starts the installed program
  // (Wine runs no Run entry at install), and the task's window is locked.
  void installAndLock() {
    lock::storeLockRow(0, kLockedTask);
    ASSERT_EQ(runAndWait(programFolder() + "\\tessara7-setup.exe", "/S", 120000), DWORD(0));
    ASSERT_TRUE(fileExists(installed(names::GuardProgram)));
    ASSERT_TRUE(waitUntil(10000, [] { return guard::serviceState() == DWORD(SERVICE_RUNNING); }))
        << "the service is not running";
    main_ = waitForProgramOtherThan(0, 15000);
    ASSERT_NE(main_, nullptr) << "the service did not start the installed program";
    locked_ = lock::makeWindow("GuardTestWindow", std::string(kLockedTask) + " - Accounts", true);
    ASSERT_TRUE(locked_);
    bringForward(locked_.get());
    ASSERT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(locked_.get()); }))
        << "the ticked task's window was not locked";
  }

  // TerminateProcess from here; the program is back within five seconds as
  // a new process of the installed file, and the lock holds again.
  void killAndExpectBack(const char* attempt) {
    SCOPED_TRACE(attempt);
    const DWORD killed = processOf(main_);
    ASSERT_TRUE(terminate(killed));
    const ULONGLONG ended = GetTickCount64();
    main_ = waitForProgramOtherThan(killed, kBackWithinMs);
    ASSERT_NE(main_, nullptr) << "not back within " << kBackWithinMs << " ms";
    EXPECT_LE(GetTickCount64() - ended, kBackWithinMs);
    bringForward(locked_.get());
    EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(locked_.get()); }))
        << "the lock did not hold again";
  }

  HWND main_ = nullptr;
  OwnedWindow locked_;
};

TEST_F(GuardTest, EveryAttackFromAnotherProgramFailsAndTheLockHoldsAgain) {
  ASSERT_NO_FATAL_FAILURE(installAndLock());
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);

  for (const char* attempt : {"first kill", "second kill", "third kill"})
    ASSERT_NO_FATAL_FAILURE(killAndExpectBack(attempt));

  // Not the guarded program: the channel refuses whatever it is asked and
  // changes nothing, so the guard goes on.
  EXPECT_EQ(callGuard("EXIT"), std::string(guard_channel::Refused));
  EXPECT_EQ(callGuard("HANDOVER"), std::string(guard_channel::Refused));
  EXPECT_EQ(callGuard("TRIES 0 0"), std::string(guard_channel::Refused));
  EXPECT_EQ(callGuard("TRIES?"), std::string(guard_channel::Refused));
  EXPECT_EQ(callGuard("RUNNING"), std::string(guard_channel::Refused));
  EXPECT_FALSE(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Guard", "Tries").has_value());
  EXPECT_FALSE(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Guard", "NotBefore").has_value());
  ASSERT_NO_FATAL_FAILURE(killAndExpectBack("kill after the refused requests"));

  // A copy of the program file started suspended runs the right file but
  // locks nothing: the guard does not watch it in place of the real one.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION decoy{};
  const std::wstring program = widen(installed(names::MainProgram));
  std::wstring commandLine = L"\"" + program + L"\"";
  ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                             nullptr, &startup, &decoy));
  Handle decoyProcess(decoy.hProcess), decoyThread(decoy.hThread);
  ASSERT_NO_FATAL_FAILURE(killAndExpectBack("kill beside a suspended copy"));
  EXPECT_NE(processOf(main_), decoy.dwProcessId);
  TerminateProcess(decoyProcess.get(), 0);

  // No one else can stand in for the service's channel.
  Handle squatter(CreateNamedPipeW(widen(names::GuardPipe).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 128, 128,
                                   0, nullptr));
  EXPECT_EQ(squatter.get(), INVALID_HANDLE_VALUE);
  if (squatter.get() == INVALID_HANDLE_VALUE) (void)squatter.release();
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1) << "a copy too many";

  // The owner's Exit, with the master password: the guard leaves it ended,
  // until the owner starts it again from the Start Menu.
  const DWORD owners = processOf(main_);
  ASSERT_TRUE(postMenuCommand(main_, idOf("mExit")));
  HWND prompt = waitForVisibleWindow(kPromptClass, 5000);
  ASSERT_NE(prompt, nullptr) << "Exit asked for no password";
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  EXPECT_TRUE(waitUntil(5000, [&] { return processIds(names::MainProgram).empty(); })) << "still running";
  EXPECT_TRUE(holdsFor(3000, [] { return processIds(names::MainProgram).empty(); }))
      << "the guard brought it back after the owner's Exit";
  Program launcher = Program::atPath(installed(names::LauncherProgram));
  main_ = waitForProgramOtherThan(owners, 15000);
  ASSERT_NE(main_, nullptr) << "the launcher did not start it again";
  ASSERT_NO_FATAL_FAILURE(killAndExpectBack("kill after the owner started it again"));
}

// An owner who chose "This user" with an earlier version keeps their own
// settings after installing this one: the setup records the choice of the
// administrator who installs, and only theirs.
TEST_F(GuardTest, TheSetupRecordsTheInstallingOwnersOwnScope) {
  ASSERT_TRUE(RegistryFixture::writeString(Root::User, "Software\\TSR\\Settings", "CurrentUser", "Enabled"));
  ASSERT_TRUE(RegistryFixture::writeString(Root::User, "SOFTWARE\\TSR\\Windows0", "Window", "Owner's own row"));
  ASSERT_EQ(runAndWait(programFolder() + "\\tessara7-setup.exe", "/S", 120000), DWORD(0));
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Users", currentUserSid()), "Enabled");
  main_ = waitForProgramOtherThan(0, 15000);
  ASSERT_NE(main_, nullptr);
  EXPECT_EQ(waitForAnswer(main_, "OptThisUser.value", "1"), "1") << "the owner's own settings were not kept";
}

TEST_F(GuardTest, UninstallWithTheMasterPasswordTakesTheServiceAway) {
  ASSERT_NO_FATAL_FAILURE(installAndLock());
  DWORD program = processOf(main_);
  Handle running(OpenProcess(SYNCHRONIZE, FALSE, program));
  ASSERT_TRUE(running);

  // The hand-over: the password, Uninstall, then > Uninstall < starts the uninstaller.
  ASSERT_TRUE(unlockConfiguration(main_));
  ASSERT_TRUE(clickButton(main_, idOf("cmdUninstall")));
  HWND prompt = waitForVisibleWindow(kPromptClass, 5000);
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  HWND armed = waitForMessageBox(kMainTitle, 5000);
  ASSERT_NE(armed, nullptr);
  ASSERT_TRUE(clickButton(armed, IDOK));
  ASSERT_EQ(waitForAnswer(main_, "cmdUninstall.caption", "> Uninstall <"), "> Uninstall <");
  ASSERT_TRUE(clickButton(main_, idOf("cmdUninstall")));

  HWND uninstaller = nullptr;
  waitUntil(20000, [&] { return (uninstaller = uninstallerPage()) != nullptr; });
  ASSERT_NE(uninstaller, nullptr) << "the uninstaller did not start";
  ASSERT_TRUE(waitUntil(10000, [&] { return WaitForSingleObject(running.get(), 0) == WAIT_OBJECT_0; }))
      << "the program did not end for the uninstaller";
  // Told of the hand-over, the guard leaves it ended while the uninstaller runs.
  EXPECT_TRUE(holdsFor(2000, [] { return processIds(names::MainProgram).empty(); }))
      << "the guard brought the program back during the uninstall";
  ASSERT_TRUE(clickButton(uninstaller, IDOK));

  // This PC never exported: the launcher's clean-up stops at the first hive
  // file of the drive root and says why. Answered, the uninstall goes on by itself.
  HWND error = waitForMessageBox(names::LauncherProgramTitle, 30000);
  ASSERT_NE(error, nullptr) << "the launcher's clean-up did not stop at the missing hive file";
  waitUntil(1000, [] { return false; });  // a person reads it first
  ASSERT_TRUE(clickButton(error, IDOK));
  HWND keep = waitForMessageBox("Tessara 7 Settings", 30000);
  ASSERT_NE(keep, nullptr);
  ASSERT_TRUE(clickButton(keep, IDYES));

  EXPECT_TRUE(waitUntil(30000, [] { return !fileExists(kInstallFolder); })) << "the program folder stayed";
  EXPECT_EQ(guard::openServiceError(), DWORD(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_TRUE(holdsFor(3000, [] { return processIds(names::MainProgram).empty(); })) << "something started tessara7";
  for (const char* file : {names::MainProgram, names::GuardProgram})
    EXPECT_FALSE(fileExists(installed(file))) << file;
}

}  // namespace
}  // namespace e2e
