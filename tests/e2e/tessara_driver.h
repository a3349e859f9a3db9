#pragma once
// Driving tessara7 from outside, the way its user does: start it, find its windows, open
// the configuration through the password prompt. Built on the harness (harness.h).
#include <windows.h>

#include <string>
#include <vector>

#include "forms/control_id.h"
#include "tests/e2e/harness.h"

namespace e2e {

inline constexpr const char* kMainTitle = names::MainTitle;
inline constexpr const char* kConfigClass = names::ConfigClass;
inline constexpr const char* kPromptClass = names::PromptClass;
inline constexpr const char* kNoticeClass = names::NoticeClass;
inline constexpr const char* kPromptTitle = "Restrictions";
inline constexpr const char* kNoticeTitle = "Message:";
inline constexpr const char* kDefaultPassword = "OPENBOX";

// The lines of a list answer; an empty answer is an empty list.
std::vector<std::string> splitLines(const std::string& text);

// Ids of the running processes with this executable name ("tessara7.exe"), any case.
std::vector<DWORD> processIds(const std::string& exeName);
// The top-level windows of a process, hidden ones included.
std::vector<HWND> topLevelWindowsOf(DWORD pid);
// The visible top-level windows of every running tessara7.exe, as "class 'title'" lines.
std::vector<std::string> visibleTessaraWindows();

// The first top-level window of this class that is visible, within timeoutMs.
HWND waitForVisibleWindow(const std::string& className, DWORD timeoutMs);
// Waits until query(form, what) answers `expected`; returns the last answer.
std::optional<std::string> waitForAnswer(HWND form, const std::string& what, const std::string& expected,
                                         DWORD timeoutMs = 3000);

// The main window: the top-level "Tessara 7" of class Tessara.frmConfig, once it exists.
HWND waitForMainWindow(DWORD timeoutMs = 10000);

// Posts "Configure..." of the tray menu and returns the visible prompt, or nullptr.
HWND openPrompt(HWND main, DWORD timeoutMs = 5000);
// Types the password into the prompt's box and clicks OK (does not wait for the result).
bool submitPassword(HWND prompt, const std::string& password);
// Opens the prompt, gives the password and waits for the configuration window to show;
// true when it did.
bool unlockConfiguration(HWND main, const std::string& password = kDefaultPassword);

// Clicks OK on the open notice window, if any, and waits for it to go.
void dismissNotice();

// The id of a control or menu item of the program's forms.
inline int idOf(const char* name) { return forms::controlId(name); }

}  // namespace e2e
