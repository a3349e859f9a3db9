// Program entries with real processes: a task name ending in ".exe" locks
// Wine's Notepad whatever its title says, a renamed copy of a program by the
// original name in its version resource, and the release covers the one
// process; an unticked entry locks nothing.
#include "forms/control_id.h"
#include "tests/e2e/file_helpers.h"
#include "tests/e2e/lock_helpers.h"

namespace e2e {
namespace {

using namespace lock;

// Retitles another program's window as a user's own program could.
bool retitle(HWND window, const std::string& title) {
  DWORD_PTR result = 0;
  const std::wstring wide = widen(title);
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL, 5000,
                             &result) != 0;
}

HWND expectLocked(HWND window) {
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isLockedAway(window); }))
      << "not hidden and minimised: visible " << IsWindowVisible(window) << ", iconic " << IsIconic(window);
  return waitForPrompt();
}

::testing::AssertionResult staysOpen(HWND window) {
  if (!waitUntil(kSettleMs, [&] { return isReleased(window); }))
    return ::testing::AssertionFailure() << "never shown";
  if (!holdsFor(2000, [&] { return isReleased(window) && visiblePrompt() == nullptr; }))
    return ::testing::AssertionFailure() << "locked, the prompt asks for \""
                                         << promptSubject(visiblePrompt()).value_or("<none>") << "\"";
  return ::testing::AssertionSuccess();
}

class ProgramEntryE2eTest : public E2eTest {};

TEST_F(ProgramEntryE2eTest, NotepadIsLockedWhateverItsTitleAndARenamedCopyByItsOriginalName) {
  // A title entry for the title Notepad starts with, which the retitled window no longer holds.
  storeLockRow(0, "Untitled - Notepad");
  storeLockRow(1, "NOTEPAD.exe");
  storeLockRow(2, "hivexfer.exe");
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr) << "Wine's Notepad did not open";
  ASSERT_TRUE(retitle(notepad.window, "Shopping list"));
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);

  SetForegroundWindow(notepad.window);
  HWND prompt = expectLocked(notepad.window);
  ASSERT_NE(prompt, nullptr) << "no prompt for the retitled Notepad";
  EXPECT_EQ(promptSubject(prompt), "Shopping list") << "the prompt shows the window's title";
  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return isReleased(notepad.window); }));
  ASSERT_TRUE(waitForNoPrompt());
  EXPECT_EQ(query(tessara.window, "lstAllow.items"), "") << "no window class is released for a program";

  // The release is the process's: its window stays open at the front, another Notepad is locked.
  SetForegroundWindow(notepad.window);
  EXPECT_TRUE(staysOpen(notepad.window));
  {
    RunningNotepad second;
    ASSERT_NE(second.window, nullptr);
    prompt = expectLocked(second.window);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(promptSubject(prompt), "Untitled - Notepad");
    ASSERT_TRUE(clickPromptButton(prompt, "cmdCancelPWD"));
    EXPECT_TRUE(second.program.waitExit(5000).has_value()) << "Cancel closes the locked copy";
  }

  // A renamed copy of a program is known by the original name its file gives.
  const std::string folder = freshTempFolder("tsr-renamed-copy");
  const std::string copy = folder + "\\regtool.exe";
  ASSERT_TRUE(CopyFileW(systemPath(programFolder() + "\\" + names::TransferProgram).c_str(),
                        systemPath(copy).c_str(), FALSE));
  {
    Program renamed = Program::atPath(copy);
    HWND window = waitForWindowOf(renamed.pid(), names::TransferClass);
    ASSERT_NE(window, nullptr) << "the renamed copy did not open";
    SetForegroundWindow(window);
    prompt = expectLocked(window);
    ASSERT_NE(prompt, nullptr) << "the renamed copy was not locked";
    EXPECT_EQ(promptSubject(prompt), windowText(window));
  }
  removeTree(folder);
}

// The Advanced menu's browser lock knows today's Firefox by its file, whatever
// its window is called: here a program copied as firefox.exe.
TEST_F(ProgramEntryE2eTest, TheBrowserLockKnowsFirefoxByItsProgramFile) {
  storeSetting("LockFF", "1");
  const std::string folder = freshTempFolder("tsr-browser");
  const std::string browser = folder + "\\firefox.exe";
  ASSERT_TRUE(CopyFileW(systemPath(programFolder() + "\\" + names::TransferProgram).c_str(),
                        systemPath(browser).c_str(), FALSE));
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  {
    Program firefox = Program::atPath(browser);
    HWND window = waitForWindowOf(firefox.pid(), names::TransferClass);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    HWND prompt = expectLocked(window);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(promptSubject(prompt), "Restrictions");
  }
  removeTree(folder);
}

TEST_F(ProgramEntryE2eTest, AnUntickedProgramEntryLocksNothing) {
  storeLockRow(0, "notepad.exe", false);
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  ASSERT_TRUE(retitle(notepad.window, "notepad.exe is running"));
  EXPECT_TRUE(staysOpen(notepad.window));
}

}  // namespace
}  // namespace e2e
