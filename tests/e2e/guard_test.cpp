// The guard service from the real setup: installed silently it starts the
// installed tessara7 in the session; every attack from another program fails
// (TerminateProcess again and again, a stop order written to its channel),
// each time the program is back and its lock holds again; and the uninstall
// through the master password takes the service away with everything else.
#include <aclapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "shared/guard_channel.h"
#include "shared/win32/data_folder.h"
#include "shared/win32/module.h"
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
    // The copies the service starts answer state queries too (read once, at their start).
    win32kit::setMachineSwitch(L"StateQuery", true);
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
  // Nor can it write, read or clear the history.
  EXPECT_EQ(callGuard("EVENT Exit\tforged"), std::string(guard_channel::Refused));
  EXPECT_EQ(callGuard("HISTORY? 0"), std::string(guard_channel::Refused));
  EXPECT_EQ(callGuard("CLEAR-HISTORY"), std::string(guard_channel::Refused));
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
  EXPECT_FALSE(RegistryFixture::readString(Root::Machine,
                                           "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tessara",
                                           "EventMessageFile")
                   .has_value())
      << "the history's event source stayed";
  EXPECT_TRUE(holdsFor(3000, [] { return processIds(names::MainProgram).empty(); })) << "something started tessara7";
  for (const char* file : {names::MainProgram, names::GuardProgram})
    EXPECT_FALSE(fileExists(installed(file))) << file;
}

// The history of a day at a guarded PC: every step leaves its line, in
// order, with a chain that holds; a line edited by hand shows as changed;
// Clear leaves one line; and only Administrators and SYSTEM may open the file.
class HistoryE2eTest : public GuardTest {
 protected:
  static std::string historyFile() { return narrow(win32kit::tessaraDataFolder()) + "\\history.log"; }
  static std::vector<std::string> historyLines() {
    std::vector<std::string> lines;
    std::ifstream in(std::filesystem::path(widen(historyFile())));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The event names of the lines, the fourth field.
  static std::vector<std::string> kinds(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const std::string& line : lines) {
      std::size_t at = 0;
      for (int tab = 0; tab < 3 && at != std::string::npos; ++tab) at = line.find('\t', at + (tab ? 1 : 0));
      const std::size_t end = at == std::string::npos ? at : line.find('\t', at + 1);
      names.push_back(at == std::string::npos ? line : line.substr(at + 1, end - at - 1));
    }
    return names;
  }
  static bool inOrder(const std::vector<std::string>& all, const std::vector<std::string>& wanted) {
    std::size_t next = 0;
    for (const std::string& name : all)
      if (next < wanted.size() && name == wanted[next]) ++next;
    return next == wanted.size();
  }
  static HWND promptFor(const std::string& text) {
    struct Search {
      std::string text;
      HWND found = nullptr;
    } search{text};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(data);
          if (windowClass(window) == kPromptClass && isVisible(window) &&
              query(window, "lblProgram.caption", 1000) == s.text)
            s.found = window;
          return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // The History window, opened from the Settings menu of the unlocked configuration.
  HWND openHistory() {
    if (!unlockConfiguration(main_)) return nullptr;
    if (!postMenuCommand(main_, idOf("mHistory"))) return nullptr;
    return waitForVisibleWindow("Tessara.frmHistory", 5000);
  }
};

TEST_F(HistoryE2eTest, EachStepLeavesItsLineInOrderAndAnEditShowsAsChanged) {
  ASSERT_NO_FATAL_FAILURE(installAndLock());
  HWND prompt = waitForVisibleWindow(kPromptClass, 5000);
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(submitPassword(prompt, "not the password"));
  ASSERT_EQ(waitForAnswer(prompt, "lblPWD.caption", "Password, wrong:"), "Password, wrong:");
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  ASSERT_TRUE(waitUntil(5000, [&] { return !lock::isLockedAway(locked_.get()); })) << "the password did not release";
  ASSERT_NO_FATAL_FAILURE(killAndExpectBack("kill"));
  ASSERT_TRUE(postMenuCommand(main_, idOf("mExit")));
  prompt = waitForVisibleWindow(kPromptClass, 5000);
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  ASSERT_TRUE(waitUntil(5000, [] { return processIds(names::MainProgram).empty(); }));

  std::vector<std::string> lines = historyLines();
  const auto names = kinds(lines);
  EXPECT_TRUE(inOrder(names, {"Started", "Locked", "PasswordWrong", "PasswordRight", "Restarted", "Started", "Locked",
                              "PasswordRight", "Exit"}))
      << ::testing::PrintToString(lines);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Restarted"), 1) << ::testing::PrintToString(lines);
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
    EXPECT_EQ(line.find(kDefaultPassword), std::string::npos) << line;
    EXPECT_EQ(line.find("not the password"), std::string::npos) << line;
  }

  // Administrators and SYSTEM only, nothing inherited. Wine keeps no file
  // security (it makes up a descriptor from the Unix rights), so the check
  // holds on Windows only.
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(widen(historyFile()).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor),
            DWORD(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr);
  for (DWORD i = 0; i < dacl->AceCount && !wine; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    PSID sid = &ace->SidStart;
    EXPECT_TRUE(IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid)) << i;
  }
  LocalFree(descriptor);

  // The owner starts it again and reads the history: every line holds. (The
  // ledger is closed first: its lock would raise the prompt again.)
  locked_ = OwnedWindow();
  {
    // The launcher's window, while it stands, asks for the configuration's password.
    Program launcher = Program::atPath(installed(names::LauncherProgram));
    main_ = waitForProgramOtherThan(0, 15000);
  }
  ASSERT_NE(main_, nullptr);
  ASSERT_TRUE(waitForNoWindow(names::LauncherTitle, 5000));
  HWND history = openHistory();
  ASSERT_NE(history, nullptr) << "no History window";
  auto shown = query(history, "lstEvents.items");
  ASSERT_TRUE(shown.has_value());
  EXPECT_NE(shown->find("Ended without Exit, started again"), std::string::npos) << *shown;
  EXPECT_EQ(shown->find("Changed or removed outside Tessara"), std::string::npos) << *shown;
  ASSERT_TRUE(clickButton(history, idOf("cmdClose")));
  ASSERT_TRUE(waitUntil(5000, [&] { return !IsWindow(history) || !isVisible(history); }));

  // Someone with the file in an editor turns "Locked" lines into nothing much.
  lines = historyLines();
  const auto locked = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("\tLocked\t") != std::string::npos;
  });
  ASSERT_NE(locked, lines.end());
  locked->replace(locked->find(kLockedTask), std::strlen(kLockedTask), "Nothing to see");
  {
    std::ofstream out(std::filesystem::path(widen(historyFile())), std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << '\n';
  }
  ASSERT_TRUE(postMenuCommand(main_, idOf("mHistory")));
  history = waitForVisibleWindow("Tessara.frmHistory", 5000);
  ASSERT_NE(history, nullptr);
  shown = query(history, "lstEvents.items");
  ASSERT_TRUE(shown.has_value());
  EXPECT_NE(shown->find("Changed or removed outside Tessara:  "), std::string::npos) << *shown;
  EXPECT_NE(shown->find("Nothing to see"), std::string::npos) << *shown;

  // Clear, with the password once more: one line says who cleared it.
  ASSERT_TRUE(clickButton(history, idOf("cmdClear")));
  // The prompt that asks for it, among any other the program has up.
  ASSERT_TRUE(waitUntil(5000, [&] { return (prompt = promptFor("Clear the History")) != nullptr; }));
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  ASSERT_TRUE(waitUntil(5000, [&] {
    const auto items = query(history, "lstEvents.items");
    return items && items->find("History cleared") != std::string::npos && items->find('\n') == std::string::npos;
  })) << query(history, "lstEvents.items").value_or("");
  EXPECT_EQ(kinds(historyLines()), std::vector<std::string>{"Cleared"}) << ::testing::PrintToString(historyLines());
  EXPECT_NE(historyLines()[0].find("\tby "), std::string::npos);

  // The setup registered the event source, with a message table that shows the event's text.
  const auto source = RegistryFixture::readString(
      Root::Machine, "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tessara", "EventMessageFile");
  ASSERT_TRUE(source.has_value());
  HMODULE messages = LoadLibraryExW(widen(*source).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(messages, nullptr);
  const wchar_t* text = L"Exit";
  DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(text)};
  wchar_t formatted[64] = {};
  EXPECT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, messages, 1, 0, formatted, 64,
                           reinterpret_cast<va_list*>(arguments)),
            0u);
  EXPECT_EQ(narrow(formatted), "Exit\r\n");
  FreeLibrary(messages);
}

}  // namespace
}  // namespace e2e
