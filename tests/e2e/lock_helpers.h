#pragma once
// Helpers of the end-to-end tests of the window locks, the tray and the
// computer lock: the running main program, its password prompt, Wine's
// Notepad, windows of chosen classes made by the test itself, and pictures
// of the screen.
#include <windows.h>

#include <optional>
#include <string>

#include "tests/e2e/harness.h"

namespace e2e::lock {

inline constexpr const char* kMainTitle = names::MainTitle;
inline constexpr const char* kPromptClass = names::PromptClass;
inline constexpr const char* kBlankClass = names::BlankClass;
inline constexpr const char* kNoticeClass = names::NoticeClass;
inline constexpr const char* kMasterPassword = "OPENBOX";  // the default, typed in capitals
inline constexpr const char* kSettingsKey = "Software\\TSR\\Settings";
inline constexpr const char* kIgnoreKey = "SOFTWARE\\TSR\\IGNORE";
// The watcher's timer runs twice a second; a lock or release must show well within this.
inline constexpr DWORD kSettleMs = 3000;

// --- Settings store -----------------------------------------------------------

// Row `row` of the lock list for all users: SOFTWARE\TSR\Windows<row>.
void storeLockRow(int row, const std::string& task, bool ticked = true);
// A value of HKLM Software\TSR\Settings ("LockIE" = "1").
void storeSetting(const std::string& name, const std::string& value);

// --- The main program -----------------------------------------------------------

// tessara7 started, and its hidden main window once it is up (nullptr otherwise).
struct RunningTessara {
  RunningTessara();
  Program program;
  HWND window = nullptr;
};

// --- The password prompt --------------------------------------------------------

// The prompt window when it is shown, nullptr otherwise.
HWND visiblePrompt();
HWND waitForPrompt(DWORD timeoutMs = kSettleMs);
bool waitForNoPrompt(DWORD timeoutMs = kSettleMs);
// What the prompt guards: its lblProgram caption.
std::optional<std::string> promptSubject(HWND prompt);
// Types the password and clicks OK.
bool enterPassword(HWND prompt, const std::string& password);
bool clickPromptButton(HWND prompt, const char* controlName);

// --- Other windows ---------------------------------------------------------------

// Wine's Notepad in the Windows folder.
std::string notepadPath();
// The first top-level window of process pid with this class, once it exists.
HWND waitForWindowOf(DWORD pid, const std::string& className, DWORD timeoutMs = 10000);
// Notepad started and its main window (nullptr when it did not come up).
struct RunningNotepad {
  RunningNotepad();
  Program program;
  HWND window = nullptr;
};

// Hidden, minimised: how the watcher leaves a locked window.
bool isLockedAway(HWND window);
// Shown and not minimised.
bool isReleased(HWND window);

// A top-level window of this process with a chosen class and title, shown
// and, when `activate`, brought to the front; otherwise shown without being
// activated.
OwnedWindow makeWindow(const std::string& className, const std::string& title, bool activate);

// The visible top-level window of class cls, nullptr when none.
HWND visibleWindowOfClass(const std::string& cls);
// True when `upper` is above `lower` in the z-order of top-level windows.
bool isAbove(HWND upper, HWND lower);

// --- Pictures --------------------------------------------------------------------

// Saves the whole screen as <TESSARA_SCREENSHOT_DIR>\<name>.bmp when that
// variable is set; does nothing otherwise. Returns whether a file was written.
bool saveScreenshot(const std::string& name);

}  // namespace e2e::lock
